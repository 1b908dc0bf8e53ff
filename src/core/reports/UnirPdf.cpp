#include "core/reports/UnirPdf.h"

#include <QFile>
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace torvane {

namespace {

// The end of a file holds "startxref", its table's offset and "%%EOF".
constexpr qint64 kCola = 1024;

struct ErrorPdf {
    QString motivo;
};

[[noreturn]] void fallar(const QString& motivo) {
    throw ErrorPdf{motivo};
}

/** Up to n bytes of v from desde, fewer where it ends. */
QByteArrayView trozo(QByteArrayView v, qsizetype desde, qsizetype n) {
    desde = std::clamp<qsizetype>(desde, 0, v.size());
    return v.sliced(desde, std::min(n, v.size() - desde));
}

bool esDigito(char c) {
    return c >= '0' && c <= '9';
}

// PDF's whitespace and delimiters: what may follow a keyword or a number.
bool esSeparador(char c) {
    return QByteArrayView(" \t\r\n\f/[]<>()%").contains(c) || c == '\0';
}

/** The number after clave ("/Root", "/Size") in texto, as in "/Root 2 0 R". */
std::optional<qint64> numeroTras(QByteArrayView texto, QByteArrayView clave) {
    const qsizetype en = texto.indexOf(clave);
    if (en < 0) return std::nullopt;
    qsizetype i = en + clave.size();
    while (i < texto.size() && QByteArrayView(" \r\n").contains(texto[i]))
        ++i;
    const qsizetype desde = i;
    while (i < texto.size() && esDigito(texto[i]))
        ++i;
    bool ok = false;
    const qint64 n = trozo(texto, desde, i - desde).toLongLong(&ok);
    return ok ? std::optional(n) : std::nullopt;
}

/** The dictionary of an object with every reference renumbered by nuevo. */
QByteArray renumerar(QByteArrayView texto, const std::function<int(int)>& nuevo) {
    QByteArray fuera;
    fuera.reserve(texto.size() + 16);
    qsizetype copiado = 0;
    for (qsizetype i = 0; i < texto.size(); ++i) {
        if (!esDigito(texto[i]) || (i > 0 && !esSeparador(texto[i - 1]))) continue;
        qsizetype j = i;
        while (j < texto.size() && esDigito(texto[j]))
            ++j;
        if (trozo(texto, j, 4) == " 0 R" &&
            esSeparador(j + 4 < texto.size() ? texto[j + 4] : '\0')) {
            fuera += texto.sliced(copiado, i - copiado);
            fuera += QByteArray::number(nuevo(trozo(texto, i, j - i).toInt()));
            copiado = j;
        }
        i = j;
    }
    fuera += texto.sliced(copiado);
    return fuera;
}

/** Every "n 0 R" of texto in order. */
std::vector<int> referencias(QByteArrayView texto) {
    std::vector<int> refs;
    renumerar(texto, [&refs](int n) {
        refs.push_back(n);
        return n;
    });
    return refs;
}

/** One part as its table describes it: where each object is, and its catalogue's numbers. */
struct Parte {
    QFile archivo;
    std::vector<qint64> inicios; ///< of each object by number; -1 when free
    qint64 tabla = 0;            ///< where the cross-reference table starts
    int raiz = 0;
    int info = 0;
    int paginas = 0;
    std::vector<int> hojas;  ///< its pages, in order
    std::vector<int> nuevos; ///< each object's number in the joined file; 0 when left out
    /** Where each object starts, by number, in the order they are in the file. */
    std::vector<std::pair<qint64, int>> orden;

    void ordenar() {
        for (std::size_t n = 1; n < inicios.size(); ++n)
            if (inicios[n] >= 0) orden.emplace_back(inicios[n], static_cast<int>(n));
        if (orden.empty()) fallar(QStringLiteral("no tiene objetos"));
        std::sort(orden.begin(), orden.end());
    }

    QByteArray leer(qint64 desde, qint64 hasta) {
        if (hasta < desde || !archivo.seek(desde)) fallar(QStringLiteral("no se pudo leer"));
        QByteArray bytes = archivo.read(hasta - desde);
        if (bytes.size() != hasta - desde) fallar(QStringLiteral("está cortado"));
        return bytes;
    }

    /** The i-th object of the file whole, from "n 0 obj" to where the next one starts. */
    QByteArray enOrden(std::size_t i) {
        return leer(orden[i].first, i + 1 < orden.size() ? orden[i + 1].first : tabla);
    }

    /** Object n whole. */
    QByteArray objeto(int n) {
        const auto it = std::find_if(orden.cbegin(), orden.cend(),
                                     [n](const auto& o) { return o.second == n; });
        if (it == orden.cend()) fallar(QStringLiteral("le falta el objeto %1").arg(n));
        return enOrden(static_cast<std::size_t>(it - orden.cbegin()));
    }
};

/** The dictionary part of an object (before "stream"), without "n 0 obj". */
QByteArrayView diccionario(QByteArrayView objeto) {
    const qsizetype cabecera = objeto.indexOf("obj");
    if (cabecera < 0) fallar(QStringLiteral("tiene un objeto ilegible"));
    QByteArrayView cuerpo = objeto.sliced(cabecera + 3);
    const qsizetype flujo = cuerpo.indexOf("stream");
    return flujo < 0 ? cuerpo : cuerpo.first(flujo);
}

void leerTabla(Parte& p) {
    const qint64 tamano = p.archivo.size();
    const QByteArray cola = p.leer(std::max<qint64>(0, tamano - kCola), tamano);
    const auto inicioTabla =
        numeroTras(cola.sliced(std::max<qsizetype>(0, cola.lastIndexOf("startxref"))), "startxref");
    if (!inicioTabla || *inicioTabla <= 0 || *inicioTabla >= tamano)
        fallar(QStringLiteral("no tiene tabla de referencias"));
    p.tabla = *inicioTabla;
    const QByteArray tabla = p.leer(p.tabla, tamano);
    const qsizetype trailer = tabla.indexOf("trailer");
    if (!tabla.startsWith("xref") || trailer < 0)
        fallar(QStringLiteral("no tiene una tabla de referencias clásica"));
    const QList<QByteArray> palabras = tabla.first(trailer).sliced(4).simplified().split(' ');
    for (qsizetype i = 0; i + 1 < palabras.size();) {
        const int primero = palabras[i].toInt();
        const int cuantos = palabras[i + 1].toInt();
        i += 2;
        if (primero < 0 || cuantos < 0 || i + 3 * qsizetype(cuantos) > palabras.size())
            fallar(QStringLiteral("tiene una tabla de referencias ilegible"));
        if (p.inicios.size() < std::size_t(primero + cuantos))
            p.inicios.resize(primero + cuantos, -1);
        for (int n = 0; n < cuantos; ++n, i += 3)
            if (palabras[i + 2] == "n") p.inicios[primero + n] = palabras[i].toLongLong();
    }
    const QByteArrayView resto = QByteArrayView(tabla).sliced(trailer);
    const auto raiz = numeroTras(resto, "/Root");
    const auto info = numeroTras(resto, "/Info");
    if (!raiz) fallar(QStringLiteral("no tiene catálogo"));
    p.raiz = static_cast<int>(*raiz);
    p.info = info ? static_cast<int>(*info) : 0;
}

void leerPaginas(Parte& p) {
    const auto paginas = numeroTras(diccionario(p.objeto(p.raiz)), "/Pages");
    if (!paginas) fallar(QStringLiteral("no tiene árbol de páginas"));
    p.paginas = static_cast<int>(*paginas);
    const QByteArray arbol = p.objeto(p.paginas);
    const QByteArrayView dic = diccionario(arbol);
    const qsizetype hijos = dic.indexOf("/Kids");
    const qsizetype fin = dic.indexOf(']', hijos);
    if (hijos < 0 || fin < 0) fallar(QStringLiteral("tiene un árbol de páginas ilegible"));
    p.hojas = referencias(dic.sliced(hijos, fin - hijos));
}

Parte& abrir(std::unique_ptr<Parte>& parte, const QString& nombre) {
    parte = std::make_unique<Parte>();
    parte->archivo.setFileName(nombre);
    if (!parte->archivo.open(QIODevice::ReadOnly)) fallar(QStringLiteral("no se pudo abrir"));
    leerTabla(*parte);
    parte->ordenar();
    leerPaginas(*parte);
    return *parte;
}

class Escritor {
public:
    explicit Escritor(const QString& archivo)
        : archivo_(archivo) {
        if (!archivo_.open(QIODevice::WriteOnly | QIODevice::Truncate))
            fallar(QStringLiteral("no se pudo crear %1").arg(archivo));
    }

    void escribir(QByteArrayView bytes) {
        if (archivo_.write(bytes.data(), bytes.size()) != bytes.size())
            fallar(QStringLiteral("no se pudo escribir: %1").arg(archivo_.errorString()));
    }

    void empezarObjeto(int n) {
        if (posiciones_.size() <= std::size_t(n)) posiciones_.resize(n + 1, -1);
        posiciones_[n] = archivo_.pos();
        escribir(QByteArray::number(n) + " 0 obj");
    }

    void terminar(int info, int raiz) {
        const qint64 tabla = archivo_.pos();
        QByteArray texto = "xref\n0 " + QByteArray::number(posiciones_.size()) + "\n";
        texto += "0000000000 65535 f \n";
        for (std::size_t n = 1; n < posiciones_.size(); ++n)
            texto +=
                posiciones_[n] < 0
                    ? QByteArray("0000000000 65535 f \n")
                    : QByteArray::number(posiciones_[n]).rightJustified(10, '0') + " 00000 n \n";
        texto += "trailer\n<<\n/Size " + QByteArray::number(posiciones_.size()) + "\n";
        if (info > 0) texto += "/Info " + QByteArray::number(info) + " 0 R\n";
        texto += "/Root " + QByteArray::number(raiz) + " 0 R\n>>\nstartxref\n" +
                 QByteArray::number(tabla) + "\n%%EOF\n";
        escribir(texto);
        if (!archivo_.flush()) fallar(archivo_.errorString());
    }

private:
    QFile archivo_;
    std::vector<qint64> posiciones_;
};

// The first part keeps its numbers; the others' objects follow, less their own catalogue,
// information and tree of pages, whose references go to the first part's.
void numerar(std::vector<std::unique_ptr<Parte>>& partes) {
    int siguiente = static_cast<int>(partes.front()->inicios.size());
    for (std::size_t k = 0; k < partes.size(); ++k) {
        Parte& p = *partes[k];
        p.nuevos.assign(p.inicios.size(), 0);
        for (std::size_t n = 1; n < p.inicios.size(); ++n) {
            if (p.inicios[n] < 0) continue;
            const int numero = static_cast<int>(n);
            if (k == 0)
                p.nuevos[n] = numero;
            else if (numero != p.raiz && numero != p.info && numero != p.paginas)
                p.nuevos[n] = siguiente++;
        }
    }
}

void copiar(Parte& p, const Parte& primera, Escritor& fuera, std::vector<int>& hojas) {
    const auto nuevo = [&](int n) {
        if (n == p.paginas) return primera.paginas;
        if (n <= 0 || std::size_t(n) >= p.nuevos.size() || p.nuevos[n] == 0)
            fallar(QStringLiteral("remite a un objeto que no tiene"));
        return p.nuevos[n];
    };
    std::vector<bool> esHoja(p.inicios.size(), false);
    for (const int hoja : p.hojas) {
        hojas.push_back(nuevo(hoja));
        esHoja[static_cast<std::size_t>(hoja)] = true;
    }
    for (std::size_t i = 0; i < p.orden.size(); ++i) {
        const int n = p.orden[i].second;
        if (p.nuevos[n] == 0 || (&p == &primera && n == p.paginas)) continue;
        const QByteArray objeto = p.enOrden(i);
        const QByteArrayView dic = diccionario(objeto);
        const qsizetype resto = dic.data() + dic.size() - objeto.data();
        if (esHoja[static_cast<std::size_t>(n)] && !dic.contains("/Type /Page\n"))
            fallar(QStringLiteral("tiene un árbol de páginas de más de un nivel"));
        fuera.empezarObjeto(p.nuevos[n]);
        fuera.escribir(&p == &primera ? dic.toByteArray() : renumerar(dic, nuevo));
        fuera.escribir(QByteArrayView(objeto).sliced(resto));
    }
}

} // namespace

QString unirPdf(const QStringList& partes, const QString& archivo) {
    if (partes.isEmpty()) return QStringLiteral("No hay nada que unir.");
    std::vector<std::unique_ptr<Parte>> leidas(partes.size());
    qsizetype actual = 0;
    try {
        for (; actual < partes.size(); ++actual)
            abrir(leidas[actual], partes[actual]);
        numerar(leidas);
        Parte& primera = *leidas.front();
        const qint64 cabecera = primera.orden.front().first;
        Escritor fuera(archivo);
        fuera.escribir(primera.leer(0, cabecera));
        std::vector<int> hojas;
        for (const auto& parte : leidas)
            copiar(*parte, primera, fuera, hojas);
        QByteArray arbol = "\n<<\n/Type /Pages\n/Kids \n[\n";
        for (const int hoja : hojas)
            arbol += QByteArray::number(hoja) + " 0 R\n";
        arbol += "]\n/Count " + QByteArray::number(hojas.size()) + "\n>>\nendobj\n";
        fuera.empezarObjeto(primera.paginas);
        fuera.escribir(arbol);
        fuera.terminar(primera.info, primera.raiz);
        return {};
    } catch (const ErrorPdf& e) {
        const QString cual = actual < partes.size() ? QStringLiteral("la parte %1").arg(actual + 1)
                                                    : QStringLiteral("el PDF unido");
        return QStringLiteral("No se pudo unir el PDF: %1 %2.").arg(cual, e.motivo);
    }
}

} // namespace torvane
