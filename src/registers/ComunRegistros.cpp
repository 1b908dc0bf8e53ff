#include "registers/ComunRegistros.h"

#include "core/documents/Funciones.h"
#include "core/store/Consulta.h"
#include "core/text/Formato.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace torvane {

QString tituloModificando(const QString& nombre) {
    return QStringLiteral("Modificando ") + nombre.toUpper();
}

void limitarLongitud(QPlainTextEdit* caja, int maximo) {
    QObject::connect(caja, &QPlainTextEdit::textChanged, caja, protegido(caja, [caja, maximo] {
                         const QString texto = caja->toPlainText();
                         if (texto.size() <= maximo) return;
                         caja->setPlainText(texto.left(maximo));
                         caja->moveCursor(QTextCursor::End);
                     }));
}

bool comprobarUnico(QWidget* ventana, QLineEdit* caja, const QString& tabla, const QString& campo,
                    bool editando, const QString& cargado, const QString& mensaje) {
    const QString texto = caja->text();
    if (editando && texto == cargado) return true;
    if (!ExisteValor(tabla, campo, texto)) return true;
    Mensaje::informar(ventana, mensaje);
    if (editando) caja->setText(cargado);
    caja->setFocus();
    return false;
}

void borrarTrasPreguntar(QWidget* ventana, Rejilla* rejilla, const QString& motivoNoBorrar,
                         const QString& pregunta, const std::function<Resultado<>()>& borrar,
                         const std::function<void()>& recargar) {
    if (!motivoNoBorrar.isEmpty())
        return Mensaje::informar(ventana, motivoNoBorrar, Mensaje::Icono::Exclamacion);
    if (!Mensaje::preguntar(ventana, pregunta, Mensaje::Icono::Informacion, Mensaje::kTitulo, true))
        return;
    {
        CursorEspera espera(ventana);
        // Another desk may have used it since the question.
        if (const auto borrado = borrar(); !borrado)
            return Mensaje::informar(ventana, borrado.motivo(), Mensaje::Icono::Exclamacion);
        rejilla->recargarEnLaFila(recargar);
    }
    Mensaje::informar(ventana, QStringLiteral("PROCESO FINALIZADO"));
}

} // namespace torvane
