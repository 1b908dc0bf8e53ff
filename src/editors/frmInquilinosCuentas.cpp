#include "editors/frmInquilinosCuentas.h"

#include "core/banking/Remesas.h"
#include "core/documents/Funciones.h"
#include "core/registers/Editores.h"
#include "core/text/Formato.h"
#include "core/text/Identificadores.h"
#include "ui/AvisoIdentificador.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui_frmInquilinosCuentas.h"

namespace torvane {

using namespace Qt::StringLiterals;

frmInquilinosCuentas::frmInquilinosCuentas(int idInquilino, QWidget* padre)
    : EditorConForma(idInquilino, padre) {
    const QList<Columna> columnas{Columna::numero(),
                                  Columna::texto(u"IBAN"_s, 0.27),
                                  Columna::texto(u"Banco"_s, 0.15),
                                  Columna::texto(u"Mandato"_s, 0.17),
                                  Columna::texto(u"Firma"_s, 0.10, Qt::AlignHCenter),
                                  Columna::texto(u"1.er adeudo"_s, 0.09, Qt::AlignHCenter),
                                  Columna::texto(u"Observaciones"_s, 0.15),
                                  Columna::oculta()};
    montar({.nombre = u"tblInquilinosCuentas"_s,
            .columnaClave = 7,
            .columnas = columnas,
            .vacia = columnas,
            .queSeCuenta = u"cuenta"_s,
            .preguntaBorrar = u"¿Eliminar la cuenta "_s,
            .leer = [this] { return Editores::cuentas(IdInq); }},
           {{ui->txtIBAN, 1, u"IBAN"_s},
            {ui->txtBanco, 2, u"Banco"_s},
            {ui->txtMandato, 3, u"MndRef"_s},
            {ui->mskFirma, 4, u"MndFec"_s},
            {ui->chkPrimero, 5, u"MndPri"_s},
            {ui->txtObs, 6, u"Obs"_s}});
    // A new account has had no debit yet.
    connect(ui->cmdNovo, &QPushButton::clicked, this,
            protegido(this, [this] { ui->chkPrimero->setChecked(false); }));
}

frmInquilinosCuentas::~frmInquilinosCuentas() = default;

std::optional<QDate> frmInquilinosCuentas::leerFirma() {
    const QString texto = ui->mskFirma->text();
    if (QString(texto).remove(u'/').trimmed().isEmpty()) return QDate();
    const QDate firma = leerFecha(texto);
    if (firma.isValid()) return firma;
    Mensaje::informar(this, u"Ponga una fecha de firma del mandato correcta"_s);
    ui->mskFirma->setFocus(Qt::OtherFocusReason);
    return std::nullopt;
}

bool frmInquilinosCuentas::guardar() {
    const QString iban = compactarIdentificador(ui->txtIBAN->text());
    if (!aceptarIdentificador(ui->txtIBAN, motivoIban(iban))) return false;
    const std::optional<QDate> firma = leerFirma();
    if (!firma) return false;
    const int id = Modo == 0 ? SiguienteNumero(u"tblInquilinosCuentas"_s, u"Id"_s) : IdActual;
    QString mandato = ui->txtMandato->text().trimmed();
    // Signing is what makes a mandate: its reference is proposed when none was typed.
    if (mandato.isEmpty() && firma->isValid()) mandato = mandatoPropuesto(IdInq, id);
    if (!mandato.isEmpty() && !firma->isValid()) {
        Mensaje::informar(this, u"Ponga la fecha en que se firmó el mandato"_s);
        ui->mskFirma->setFocus(Qt::OtherFocusReason);
        return false;
    }
    if (const QString problema = motivoMandato(mandato, id); !problema.isEmpty()) {
        Mensaje::informar(this, problema);
        ui->txtMandato->setFocus(Qt::OtherFocusReason);
        return false;
    }
    const auto nulo = [](const QString& t) {
        return t.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(t);
    };
    const QStringList campos{u"IBAN"_s,   u"Banco"_s, u"MndRef"_s, u"MndFec"_s,
                             u"MndPri"_s, u"Obs"_s,   u"IdInq"_s};
    const QVariantList valores{iban,
                               ui->txtBanco->text(),
                               nulo(mandato),
                               nulo(firma->isValid() ? fechaIso(*firma) : QString()),
                               ui->chkPrimero->isChecked() ? 1 : 0,
                               ui->txtObs->text(),
                               IdInq};
    escribirFila(u"tblInquilinosCuentas"_s, campos, valores);
    return true;
}

} // namespace torvane
