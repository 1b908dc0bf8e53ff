#pragma once

#include "core/reports/DatosInforme.h"
#include "reports/MotorInforme.h"
#include "ui/Ventana.h"

#include <atomic>
#include <functional>
#include <memory>

class QAbstractButton;
class QLabel;

namespace torvane {

class VisorPaginas;

/**
 * A window that shows one report in its viewer (CRViewer) and prints it on the printer chosen
 * in Configuración, or saves it as a PDF. Shared by the report selection window and the document
 * preview.
 */
class VentanaInforme : public Ventana {
    Q_OBJECT

public:
    explicit VentanaInforme(QWidget* padre = nullptr);
    ~VentanaInforme() override;

    /** The report shown; its html is empty while none is. */
    const InformeGenerado& informe() const { return informe_; }

protected:
    /** The viewer with its zoom and page controls above it, for the window's layout. */
    QWidget* panelVisor() const { return panel_; }

    /**
     * Shows the report generar renders (under a wait cursor). On an engine error the report
     * shown is dropped, the user is told (critical icon) and false comes back.
     */
    bool mostrar(const std::function<InformeGenerado()>& generar);

    /**
     * Shows the list template nombre from its first rows at once; a reader of its own reads
     * every row meanwhile, and then the whole list with its count of pages and its totals takes
     * their place. Printing before that reads the rest first.
     */
    bool mostrarLista(const QString& nombre, const ParametrosInforme& parametros);

    /** impresora prints on the reports printer of Configuración, pdf writes a file. */
    void conectarBotones(QAbstractButton* impresora, QAbstractButton* pdf);

private:
    void montarControles();
    void mostrarPagina();

    /**
     * Prints the report shown on the reports printer, or to a PDF file; avisoVacio when none.
     * A document shown counts as printed once it went out.
     */
    void imprimir(bool pdf, const QString& avisoVacio);

    void leerResto();
    /** Puts the list read whole in place of its first rows, on the same page. */
    void completar(std::shared_ptr<const FilasLista> filas);
    void dejarDeLeer();

    QWidget* panel_;
    VisorPaginas* visor_;
    QLabel* lblPagina_ = nullptr;
    InformeGenerado informe_;
    std::unique_ptr<PaginasInforme> paginas_;
    QString lista_; ///< the list shown by mostrarLista()
    ParametrosInforme parametros_;
    std::shared_ptr<std::atomic_bool> leyendo_; ///< set to stop the reader of the rest
};

} // namespace torvane
