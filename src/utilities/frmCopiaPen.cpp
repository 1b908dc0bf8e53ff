#include "utilities/frmCopiaPen.h"
#include "ui_frmCopiaPen.h"

#include "core/store/Consulta.h"
#include "core/store/Copia.h"
#include "core/store/Servidor.h"
#include "core/store/Sesion.h"
#include "core/store/Unidades.h"
#include "ui/CursorEspera.h"
#include "ui/Mensajes.h"
#include "ui/Protegido.h"
#include "ui/PulsarTecla.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace torvane {

namespace {

QStringList& unidadesFijadas() {
    static QStringList raices;
    return raices;
}

QList<Unidad> unidades(const QString& ano) {
    if (unidadesFijadas().isEmpty()) return unidadesParaCopia(ano);
    QList<Unidad> lista;
    for (const QString& raiz : unidadesFijadas())
        if (aptaParaCopia(raiz, {}, false, QFileInfo(raiz).isWritable()))
            lista.append(
                {raiz, true, QStorageInfo(raiz).bytesAvailable(), fechaUltimaCopia(raiz, ano)});
    return lista;
}

} // namespace

frmCopiaPen::frmCopiaPen(Sesion& sesion, QWidget* padre)
    : Ventana(padre)
    , ui(std::make_unique<Ui::frmCopiaPen>())
    , sesion_(sesion) {
    ui->setupUi(this);
    QuitarCerrar(this);
    connect(ui->Drive1, &QComboBox::currentIndexChanged, this,
            protegido(this, &frmCopiaPen::Drive1_Change));
    connect(ui->cmdRealizar, &QPushButton::clicked, this,
            protegido(this, &frmCopiaPen::cmdRealizar_Click));
    connect(ui->cmdRecuperar, &QPushButton::clicked, this,
            protegido(this, &frmCopiaPen::cmdRecuperar_Click));
    connect(ui->cmdDevolver, &QPushButton::clicked, this,
            protegido(this, &frmCopiaPen::cmdDevolver_Click));
    connect(ui->cmdCerrar, &QPushButton::clicked, this,
            protegido(this, &frmCopiaPen::cmdCerrar_Click));
}

frmCopiaPen::~frmCopiaPen() = default;

void frmCopiaPen::fijarUnidades(const QStringList& raices) {
    unidadesFijadas() = raices;
}

void frmCopiaPen::alActivar() {
    int primeraExtraible = -1;
    for (const Unidad& unidad : unidades(sesion_.ano)) {
        if (unidad.extraible && primeraExtraible < 0) primeraExtraible = ui->Drive1->count();
        ui->Drive1->addItem(describirUnidad(unidad), unidad.raiz);
    }
    ui->Drive1->setCurrentIndex(qMax(primeraExtraible, 0));
    Drive1_Change();
    cargarAnteriores();
}

void frmCopiaPen::cargarAnteriores() {
    ui->cboAnteriores->clear();
    for (const QString& archivo : copiasAnteriores(sesion_.rutaBD))
        ui->cboAnteriores->addItem(QFileInfo(archivo).fileName(), archivo);
    ui->cmdDevolver->setEnabled(ui->cboAnteriores->count() > 0);
}

QString frmCopiaPen::raiz() const {
    return ui->Drive1->currentData().toString();
}

void frmCopiaPen::Drive1_Change() {
    ui->txtRuta->setText(
        raiz().isEmpty() ? QString() : QDir::toNativeSeparators(rutaCopia(raiz(), sesion_.ano)));
}

void frmCopiaPen::informar(const QString& texto, bool terminado) {
    // 0x0000FF and 0x008000 in the settings' blue-green-red order: red and green.
    const QColor color = terminado ? QColor(0x00, 0x80, 0x00) : QColor(0xFF, 0x00, 0x00);
    QPalette paleta = ui->lblInforma->palette();
    paleta.setColor(QPalette::WindowText, color);
    ui->lblInforma->setPalette(paleta);
    ui->lblInforma->setText(texto);
    ui->lblInforma->setVisible(true);
    ui->lblInforma->repaint();
}

void frmCopiaPen::cmdRealizar_Click() {
    if (ui->txtRuta->text().isEmpty()) {
        Mensaje::critico(this, QStringLiteral("No ha especificado una ruta"));
        return;
    }
    if (!Mensaje::aceptarCancelar(
            this, QStringLiteral("Se copiarán los datos del año %1 a:\n%2\n\nSi es una memoria "
                                 "USB o un disco externo, compruebe que está conectado.")
                      .arg(sesion_.ano, ui->txtRuta->text())))
        return;
    informar(QStringLiteral("Espere un momento ..."), false);
    CursorEspera espera(this);
    const QString error = hacerCopia(rutaCopia(raiz(), sesion_.ano));
    terminar(error, QStringLiteral("La copia se ha completado"));
    if (error.isEmpty()) describirDeNuevo();
}

// The drive's line says the copy just made, not what it said when the window opened.
void frmCopiaPen::describirDeNuevo() {
    for (const Unidad& unidad : unidades(sesion_.ano))
        if (unidad.raiz == raiz())
            ui->Drive1->setItemText(ui->Drive1->currentIndex(), describirUnidad(unidad));
}

void frmCopiaPen::cmdRecuperar_Click() {
    if (ui->txtRuta->text().isEmpty()) {
        Mensaje::critico(this, QStringLiteral("No ha especificado una ruta"));
        return;
    }
    // On a server the year is every desk's: their work since the backup goes too.
    const QString pregunta =
        esServidor(Conexion())
            ? QStringLiteral("¡ A T E N C I Ó N !\nSe reemplazará el año del servidor por el "
                             "del archivo de seguridad:\nlo que todos los puestos hayan hecho "
                             "desde la copia quedará fuera\n(el año como está ahora se guarda "
                             "en el servidor).\n¿Desea continuar?")
            : QStringLiteral("¡ A T E N C I Ó N !\nSe reemplazarán los datos de "
                             "facturación actuales\npor los existentes en el "
                             "archivo de seguridad\n¿Desea continuar?");
    if (!Mensaje::preguntar(this, pregunta, Mensaje::Icono::Critico, Mensaje::kTitulo, true))
        return;
    informar(QStringLiteral("Espere un momento ..."), false);
    if (!QDir(rutaCopia(raiz(), QString())).exists()) {
        ui->lblInforma->setVisible(false);
        Mensaje::informar(this, QStringLiteral("No se encontraron datos en la unidad indicada"));
        return;
    }
    recuperarDesde(rutaCopia(raiz(), sesion_.ano) + QLatin1Char('/') + kArchivoDatos);
}

bool frmCopiaPen::anoAceptado(const QString& archivo) {
    const QStringList anos = anosDistintos(archivo, sesion_.ano);
    if (anos.isEmpty()) return true;
    return Mensaje::preguntar(
        this,
        QStringLiteral("La copia tiene documentos de %1 y el año de trabajo es %2.\n¿Desea "
                       "recuperarla de todos modos?")
            .arg(anos.join(QStringLiteral(", ")), sesion_.ano),
        Mensaje::Icono::Exclamacion, Mensaje::kTitulo, true);
}

void frmCopiaPen::recuperarDesde(const QString& archivo) {
    if (!anoAceptado(archivo)) {
        ui->lblInforma->setVisible(false);
        return;
    }
    CursorEspera espera(this);
    QString guardado;
    const QString error = restaurarArchivo(
        archivo, sesion_.rutaBD, [] { return Modulo::AbrirBaseDatos(); }, &guardado);
    terminar(error, QStringLiteral("La recuperación se ha completado. ") +
                        avisoGuardado(guardado, sesion_.rutaBD));
    cargarAnteriores();
}

void frmCopiaPen::cmdDevolver_Click() {
    const QString archivo = ui->cboAnteriores->currentData().toString();
    if (archivo.isEmpty()) return;
    if (!Mensaje::preguntar(this,
                            QStringLiteral("Se reemplazarán los datos actuales por los guardados "
                                           "en %1\n(los actuales también se guardan).\n¿Desea "
                                           "continuar?")
                                .arg(QFileInfo(archivo).fileName()),
                            Mensaje::Icono::Critico, Mensaje::kTitulo, true))
        return;
    informar(QStringLiteral("Espere un momento ..."), false);
    recuperarDesde(archivo);
}

void frmCopiaPen::terminar(const QString& error, const QString& hecho) {
    if (!error.isEmpty()) {
        ui->lblInforma->setVisible(false);
        Mensaje::critico(this, error);
        return;
    }
    QDir::setCurrent(Modulo::CarpetaPrograma());
    informar(hecho, true);
}

void frmCopiaPen::cmdCerrar_Click() {
    PermitirCerrar(this);
    accept();
}

} // namespace torvane
