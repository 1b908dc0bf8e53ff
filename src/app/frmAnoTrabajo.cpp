#include "app/frmAnoTrabajo.h"
#include "ui_frmAnoTrabajo.h"

#include "core/store/Anos.h"
#include "core/store/Sesion.h"
#include "core/tax/RentaInmuebles.h"
#include "ui/CursorEspera.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"

#include <QDir>

namespace torvane {

frmAnoTrabajo::frmAnoTrabajo(Sesion& sesion, QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmAnoTrabajo>())
    , sesion_(sesion) {
    ui->setupUi(this);
    connect(ui->cmdCambiar, &QPushButton::clicked, this, protegido(this, &frmAnoTrabajo::Cambiar));
    connect(ui->cmdNuevo, &QPushButton::clicked, this, protegido(this, &frmAnoTrabajo::NuevoAno));
    connect(ui->cmdSalir, &QPushButton::clicked, this, &QDialog::reject);
    // Enter and double click.
    connect(ui->lstAnos, &QListWidget::itemActivated, this,
            protegido(this, &frmAnoTrabajo::Cambiar));
}

frmAnoTrabajo::~frmAnoTrabajo() = default;

void frmAnoTrabajo::alActivar() {
    Cargar(sesion_.ano);
    ui->lstAnos->setFocus();
}

void frmAnoTrabajo::Cargar(const QString& elegido) {
    ui->lblRuta->setText(QStringLiteral("Carpeta de datos: ") +
                         QDir::toNativeSeparators(sesion_.ruta));
    ui->lstAnos->clear();
    for (const QString& ano : anosDeCarpeta(sesion_.ruta)) {
        auto* fila = new QListWidgetItem(ano, ui->lstAnos);
        fila->setData(Qt::UserRole, ano);
        if (ano == sesion_.ano) {
            fila->setText(ano + QStringLiteral("   (año de trabajo)"));
            QFont letra = fila->font();
            letra.setBold(true);
            fila->setFont(letra);
        }
        if (ano == elegido) ui->lstAnos->setCurrentItem(fila);
    }
}

void frmAnoTrabajo::Cambiar() {
    if (const QListWidgetItem* fila = ui->lstAnos->currentItem())
        CambiarA(fila->data(Qt::UserRole).toString());
}

void frmAnoTrabajo::CambiarA(const QString& ano) {
    if (ano == sesion_.ano) {
        accept();
        return;
    }
    QString error;
    {
        CursorEspera espera(this);
        error = Modulo::CambiarAno(ano);
    }
    if (!error.isEmpty()) {
        Mensaje::critico(this, error);
        Cargar(sesion_.ano);
        return;
    }
    Mensaje::informar(this, QStringLiteral("Ahora se trabaja en el año %1.").arg(ano));
    accept();
}

void frmAnoTrabajo::NuevoAno() {
    const QString actual = sesion_.ano;
    const QString nuevo = anoSiguiente(actual);
    if (nuevo.isEmpty()) {
        Mensaje::informar(this,
                          QStringLiteral("La carpeta del año de trabajo («%1») no es un número de "
                                         "año: no se sabe cuál es el siguiente.")
                              .arg(actual),
                          Mensaje::Icono::Exclamacion);
        return;
    }
    QString error;
    {
        CursorEspera espera(this);
        // What this year leaves to deduct goes on to the next, worked out from this year's own.
        const auto rentas = rentaDelAno(numeroDeAno(actual));
        error = rentas ? crearAnoDesde(sesion_.ruta, actual, nuevo, arrastreAlAnoSiguiente(*rentas))
                       : rentas.motivo();
    }
    if (!error.isEmpty()) {
        Mensaje::critico(this, error);
        return;
    }
    Cargar(nuevo);
    if (Mensaje::preguntar(this,
                           QStringLiteral("Se ha creado el año %1 con los inmuebles, inquilinos, "
                                          "conceptos, tipos de IVA, series y datos de la empresa "
                                          "de %2, sin recibos.\n\n¿Trabajar ahora en el año %1?")
                               .arg(nuevo, actual),
                           Mensaje::Icono::Pregunta))
        CambiarA(nuevo);
}

} // namespace torvane
