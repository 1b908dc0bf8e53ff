#include "utilities/frmColor.h"
#include "ui_frmColor.h"

#include "core/store/Sesion.h"
#include "ui/Colores.h"
#include "ui/Mensajes.h"

#include <QMouseEvent>

namespace torvane {

namespace {

const QString kMarca = QStringLiteral(">>>");

void marcar(const QList<QLabel*>& etiquetas, const std::array<int, 10>& paleta, int actual) {
    for (int i = 0; i < etiquetas.size(); ++i)
        etiquetas[i]->setText(paleta[i] == actual ? kMarca : QString());
}

} // namespace

frmColor::frmColor(Sesion& sesion, QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmColor>())
    , sesion_(sesion) {
    ui->setupUi(this);
    lblColor = {ui->lblColor_0, ui->lblColor_1, ui->lblColor_2, ui->lblColor_3, ui->lblColor_4,
                ui->lblColor_5, ui->lblColor_6, ui->lblColor_7, ui->lblColor_8, ui->lblColor_9};
    lblColor2 = {ui->lblColor2_0, ui->lblColor2_1, ui->lblColor2_2, ui->lblColor2_3,
                 ui->lblColor2_4, ui->lblColor2_5, ui->lblColor2_6, ui->lblColor2_7,
                 ui->lblColor2_8, ui->lblColor2_9};
    for (QLabel* etiqueta : lblColor + lblColor2)
        etiqueta->installEventFilter(this);
}

frmColor::~frmColor() = default;

void frmColor::alActivar() {
    for (int i = 0; i < 10; ++i) {
        pintarFondo(lblColor[i], colorDesdeNumero(kPaletaPrincipal[i]));
        pintarFondo(lblColor2[i], colorDesdeNumero(kPaletaFondo[i]));
    }
    Marcar();
}

void frmColor::Marcar() {
    marcar(lblColor, kPaletaPrincipal, numeroDesdeColor(colorPrincipal()));
    marcar(lblColor2, kPaletaFondo, numeroDesdeColor(colorFondo()));
}

bool frmColor::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() != QEvent::MouseButtonRelease ||
        static_cast<QMouseEvent*>(evento)->button() != Qt::LeftButton)
        return Ventana::eventFilter(objeto, evento);
    auto* etiqueta = qobject_cast<QLabel*>(objeto);
    const bool principal = lblColor.contains(etiqueta);
    const int i = principal ? lblColor.indexOf(etiqueta) : lblColor2.indexOf(etiqueta);
    if (i < 0) return false;
    const int color = principal ? kPaletaPrincipal[i] : kPaletaFondo[i];
    const bool escrito = principal ? Modulo::EscribirColor(color) : Modulo::EscribirColor2(color);
    (principal ? sesion_.colorPrincipal : sesion_.colorFondo) = QString::number(color);
    if (!escrito)
        Mensaje::critico(this, QStringLiteral("No se pudo guardar el color en %1; se usará "
                                              "hasta que cierre el programa.")
                                   .arg(Modulo::CarpetaAjuste(QStringLiteral("color.ini"))));
    Marcar();
    return true;
}

} // namespace torvane
