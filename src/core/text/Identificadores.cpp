#include "core/text/Identificadores.h"

#include <QHash>
#include <QRegularExpression>

namespace torvane {

namespace {

/** IBAN length of each country of the ISO 13616 registry. */
const QHash<QString, int>& longitudesIban() {
    static const QHash<QString, int> tabla = [] {
        const struct {
            const char* pais;
            int longitud;
        } filas[] = {
            {"AD", 24}, {"AE", 23}, {"AL", 28}, {"AT", 20}, {"AZ", 28}, {"BA", 20}, {"BE", 16},
            {"BG", 22}, {"BH", 22}, {"BI", 27}, {"BR", 29}, {"BY", 28}, {"CH", 21}, {"CR", 22},
            {"CY", 28}, {"CZ", 24}, {"DE", 22}, {"DJ", 27}, {"DK", 18}, {"DO", 28}, {"EE", 20},
            {"EG", 29}, {"ES", 24}, {"FI", 18}, {"FK", 18}, {"FO", 18}, {"FR", 27}, {"GB", 22},
            {"GE", 22}, {"GI", 23}, {"GL", 18}, {"GR", 27}, {"GT", 28}, {"HR", 21}, {"HU", 28},
            {"IE", 22}, {"IL", 23}, {"IQ", 23}, {"IS", 26}, {"IT", 27}, {"JO", 30}, {"KW", 30},
            {"KZ", 20}, {"LB", 28}, {"LC", 32}, {"LI", 21}, {"LT", 20}, {"LU", 20}, {"LV", 21},
            {"LY", 25}, {"MC", 27}, {"MD", 24}, {"ME", 22}, {"MK", 19}, {"MN", 20}, {"MR", 27},
            {"MT", 31}, {"MU", 30}, {"NI", 28}, {"NL", 18}, {"NO", 15}, {"OM", 23}, {"PK", 24},
            {"PL", 28}, {"PS", 29}, {"PT", 25}, {"QA", 29}, {"RO", 24}, {"RS", 22}, {"RU", 33},
            {"SA", 24}, {"SC", 31}, {"SD", 18}, {"SE", 24}, {"SI", 19}, {"SK", 24}, {"SM", 27},
            {"SO", 23}, {"ST", 25}, {"SV", 28}, {"TL", 23}, {"TN", 24}, {"TR", 26}, {"UA", 29},
            {"VA", 22}, {"VG", 24}, {"XK", 20}, {"YE", 30}};
        QHash<QString, int> h;
        for (const auto& f : filas)
            h.insert(QString::fromLatin1(f.pais), f.longitud);
        return h;
    }();
    return tabla;
}

/** The remainder by 97 of the digits and letters (A = 10 … Z = 35) read as one number. */
int resto97(const QString& texto) {
    int resto = 0;
    for (const QChar c : texto) {
        const int valor = c.isDigit() ? c.digitValue() : c.unicode() - u'A' + 10;
        resto = (resto * (valor < 10 ? 10 : 100) + valor) % 97;
    }
    return resto;
}

/** Two check digits that make pais + them + resto97 of cuerpo + pais + "00" come to 1. */
QString digitosControl(const QString& cuerpo, const QString& pais) {
    return QString::number(98 - resto97(cuerpo + pais + QStringLiteral("00")))
        .rightJustified(2, QLatin1Char('0'));
}

bool coincide(const QString& texto, const QString& patron) {
    // Compiled once per thread: a remittance checks thousands of accounts.
    thread_local QHash<QString, QRegularExpression> compilados;
    auto it = compilados.find(patron);
    if (it == compilados.end())
        it = compilados.insert(patron,
                               QRegularExpression(QRegularExpression::anchoredPattern(patron)));
    return it->match(texto).hasMatch();
}

/** Control digit of a company N.I.F.'s seven digits, the same for K, L and M numbers. */
int controlEmpresa(const QString& siete) {
    int suma = 0;
    for (int i = 0; i < 7; ++i) {
        const int d = siete[i].digitValue();
        if (i % 2 == 1) {
            suma += d;
        } else {
            const int doble = d * 2;
            suma += doble / 10 + doble % 10;
        }
    }
    return (10 - suma % 10) % 10;
}

QString motivoEmpresa(const QString& nif) {
    const int control = controlEmpresa(nif.mid(1, 7));
    const QChar letra = QLatin1Char("JABCDEFGHI"[control]);
    const QChar digito = QLatin1Char(char('0' + control));
    const QChar tipo = nif[0];
    const QChar puesto = nif[8];
    // Some kinds of entity carry a letter, others a digit, the rest either.
    const bool soloLetra = QStringLiteral("KLMNPQRSW").contains(tipo);
    const bool soloDigito = QStringLiteral("ABEH").contains(tipo);
    const bool vale = (puesto == letra && !soloDigito) || (puesto == digito && !soloLetra);
    if (vale) return {};
    const QString esperado = soloLetra    ? QString(letra)
                             : soloDigito ? QString(digito)
                                          : QStringLiteral("%1 o %2").arg(digito).arg(letra);
    return QStringLiteral("El carácter de control del N.I.F. %1 no es correcto: debería ser %2.")
        .arg(nif, esperado);
}

} // namespace

QString compactarIdentificador(const QString& texto) {
    QString limpio;
    for (const QChar c : texto)
        if (!c.isSpace() && c != u'.' && c != u'-') limpio += c.toUpper();
    return limpio;
}

QString digitosControlCuenta(const QString& entidadOficina, const QString& cuenta) {
    const auto digito = [](const QString& diez) {
        static constexpr int pesos[] = {1, 2, 4, 8, 5, 10, 9, 7, 3, 6};
        int suma = 0;
        for (int i = 0; i < 10; ++i)
            suma += diez[i].digitValue() * pesos[i];
        const int d = 11 - suma % 11;
        return QString::number(d == 11 ? 0 : d == 10 ? 1 : d);
    };
    return digito(QStringLiteral("00") + entidadOficina) + digito(cuenta);
}

namespace {

// A Spanish account: bank, branch, two control digits and the account number, all digits.
QString motivoCuentaEspanola(const QString& bban) {
    if (!coincide(bban, QStringLiteral("[0-9]{20}")))
        return QStringLiteral("Una cuenta española solo tiene cifras después de «ES» y los dos "
                              "dígitos de control: revise la entidad, la oficina y el número de "
                              "cuenta.");
    const QString dc = digitosControlCuenta(bban.left(8), bban.mid(10));
    if (dc[0] != bban[8])
        return QStringLiteral("El primer dígito de control de la cuenta (DC, %1) no corresponde a "
                              "la entidad y la oficina (%2 %3): alguna de esas cifras está mal.")
            .arg(bban.mid(8, 2), bban.left(4), bban.mid(4, 4));
    if (dc[1] != bban[9])
        return QStringLiteral("El segundo dígito de control de la cuenta (DC, %1) no corresponde "
                              "al número de cuenta (%2): alguna de esas cifras está mal.")
            .arg(bban.mid(8, 2), bban.mid(10));
    return {};
}

} // namespace

QString motivoIban(const QString& iban) {
    const QString c = compactarIdentificador(iban);
    if (c.isEmpty()) return QStringLiteral("Falta el IBAN.");
    if (!coincide(c, QStringLiteral("[A-Z0-9]+")))
        return QStringLiteral("El IBAN solo puede tener letras y cifras.");
    if (c.size() < 4 || !coincide(c.left(4), QStringLiteral("[A-Z]{2}[0-9]{2}")))
        return QStringLiteral("El IBAN empieza por las dos letras del país y dos cifras de "
                              "control (ES91…).");
    const QString pais = c.left(2);
    const int longitud = longitudesIban().value(pais);
    if (longitud == 0) return QStringLiteral("«%1» no es un país con IBAN.").arg(pais);
    if (c.size() != longitud)
        return QStringLiteral("Un IBAN de %1 tiene %2 caracteres, y este tiene %3.")
            .arg(pais)
            .arg(longitud)
            .arg(c.size());
    if (pais == QLatin1String("ES"))
        if (const QString motivo = motivoCuentaEspanola(c.mid(4)); !motivo.isEmpty()) return motivo;
    if (resto97(c.mid(4) + c.left(4)) != 1)
        return QStringLiteral("Los dígitos de control del IBAN no cuadran: hay algún carácter "
                              "mal escrito.");
    return {};
}

QString ibanAgrupado(const QString& iban) {
    const QString c = compactarIdentificador(iban);
    QStringList grupos;
    for (qsizetype i = 0; i < c.size(); i += 4)
        grupos << c.mid(i, 4);
    return grupos.join(QLatin1Char(' '));
}

QString calcularIban(const QString& pais, const QString& bban) {
    const QString cuerpo = compactarIdentificador(bban);
    return pais + digitosControl(cuerpo, pais) + cuerpo;
}

QChar letraDni(int numero) {
    return QLatin1Char("TRWAGMYFPDXBNJZSQVHLCKE"[numero % 23]);
}

QString motivoNif(const QString& nif) {
    QString c = compactarIdentificador(nif);
    // A D.N.I. is often written without its leading zero.
    if (coincide(c, QStringLiteral("[0-9]{7}[A-Z]"))) c.prepend(QLatin1Char('0'));
    if (coincide(c, QStringLiteral("[0-9]{8}[A-Z]"))) {
        const QChar letra = letraDni(c.left(8).toInt());
        if (c[8] == letra) return {};
        return QStringLiteral("La letra del D.N.I. no es correcta: a %1 le corresponde la %2.")
            .arg(c.left(8))
            .arg(letra);
    }
    if (coincide(c, QStringLiteral("[XYZ][0-9]{7}[A-Z]"))) {
        const int numero = (QString::number(c[0].unicode() - u'X') + c.mid(1, 7)).toInt();
        const QChar letra = letraDni(numero);
        if (c[8] == letra) return {};
        return QStringLiteral("La letra del N.I.E. no es correcta: a %1 le corresponde la %2.")
            .arg(c.left(8))
            .arg(letra);
    }
    if (coincide(c, QStringLiteral("[ABCDEFGHJKLMNPQRSUVW][0-9]{7}[0-9A-J]")))
        return motivoEmpresa(c);
    return QStringLiteral("No tiene la forma de un N.I.F.: 8 cifras y una letra (D.N.I.); X, Y o "
                          "Z, 7 cifras y una letra (N.I.E.); o una letra, 7 cifras y un control "
                          "(empresa).");
}

QString motivoIdentificadorAcreedor(const QString& identificador) {
    const QString c = compactarIdentificador(identificador);
    if (c.isEmpty()) return QStringLiteral("Falta el identificador de acreedor.");
    if (!coincide(c, QStringLiteral("[A-Z]{2}[0-9]{2}[A-Z0-9]{3}[A-Z0-9]{1,28}")))
        return QStringLiteral("El identificador de acreedor tiene la forma ES, dos cifras de "
                              "control, un sufijo de tres caracteres y el N.I.F. (ES12000B…).");
    const QString pais = c.left(2);
    const QString nacional = c.mid(7);
    // The suffix (business code) is left out of the check digits.
    if (digitosControl(nacional, pais) != c.mid(2, 2))
        return QStringLiteral("Los dígitos de control del identificador de acreedor no cuadran: "
                              "con ese N.I.F. deberían ser %1.")
            .arg(digitosControl(nacional, pais));
    if (pais == QStringLiteral("ES") && !nifValido(nacional))
        return QStringLiteral("El N.I.F. del identificador de acreedor no es correcto. ") +
               motivoNif(nacional);
    return {};
}

QString identificadorAcreedor(const QString& nif, const QString& sufijo) {
    const QString nacional = compactarIdentificador(nif);
    const QString pais = QStringLiteral("ES");
    return pais + digitosControl(nacional, pais) + compactarIdentificador(sufijo) + nacional;
}

} // namespace torvane
