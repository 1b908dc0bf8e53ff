#pragma once

#include "core/store/Sesion.h"
#include "ui/Ventana.h"

#include <QStringList>
#include <memory>

namespace Ui {
class frmCopiaPen;
}

namespace torvane {

/**
 * Copies the working year's database to CopiaTorvane/<year> on a chosen drive and restores it
 * from there; the program goes on with the restored data without restarting.
 */
class frmCopiaPen : public Ventana {
    Q_OBJECT

public:
    explicit frmCopiaPen(Sesion& sesion, QWidget* padre = nullptr);
    ~frmCopiaPen() override;

    /** Roots offered instead of the mounted volumes, each taken as a removable drive (tests use
     *  a folder as a drive). */
    static void fijarUnidades(const QStringList& raices);

protected:
    void alActivar() override;

private:
    void Drive1_Change();
    void cmdRealizar_Click();
    void describirDeNuevo();
    void cmdRecuperar_Click();
    void cmdDevolver_Click();
    void cmdCerrar_Click();
    void cargarAnteriores();
    /** Asks first when the copy's documents are of another year; true to go on. */
    bool anoAceptado(const QString& archivo);
    void recuperarDesde(const QString& archivo);
    QString raiz() const;
    /** Red while working, green when done; hidden after a failure. */
    void informar(const QString& texto, bool terminado);
    /** The failure's message, or the green notice when error is empty. */
    void terminar(const QString& error, const QString& hecho);

    std::unique_ptr<Ui::frmCopiaPen> ui;
    Sesion& sesion_;
};

} // namespace torvane
