#pragma once

#include "core/store/Importe.h"
#include "ui/Rejilla.h"
#include "ui/Ventana.h"

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace torvane {

/** What a number box holds: "." types "," in it, and what is no such number is refused. */
enum class Cifra { Ninguna, Importe, Tasa };

/**
 * A window that keeps one small table in its grid. Entering or editing a row lays edit boxes
 * exactly over that row's cells, so the user seems to type into the grid. Each editor says
 * only what differs: its table, columns, rows and, where it must, how it saves.
 *
 * Modo: 0 a new row is being entered, 1 an existing row is being edited, 2 browsing.
 */
class EditorEnRejilla : public Ventana {
    Q_OBJECT

public:
    explicit EditorEnRejilla(QWidget* padre = nullptr);

    /**
     * The close box, Alt+F4, Escape while browsing and «Salir»: a row being typed is saved or
     * dropped as the user says (or nothing closes), then the window closes.
     */
    void reject() override;

protected:
    /** The table an editor keeps and how its grid shows it. */
    struct Tabla {
        QString nombre;
        QString campoClave = QStringLiteral("Id");
        int columnaClave = 4;
        QList<Columna> columnas;
        /** What an empty table shows; no columns leaves the grid without headings. */
        QList<Columna> vacia = {};
        /** What it shows once its last row is deleted, when that differs. */
        QList<Columna> vaciaTrasBorrar = {};
        QString queSeCuenta; ///< "concepto": "Se encontraron 3 conceptos"
        /** Column 0 shows each row's key (the code users type elsewhere), not a row number. */
        bool claveEnPrimera = false;
        QString preguntaBorrar; ///< followed by column 1 of the row and "?"
        /** The table's rows from column 1 on; column 0 is numbered here. */
        std::function<QList<QStringList>()> leer;
        /** Why the row with this key cannot be deleted; empty (or none) when it can. */
        std::function<QString(int)> motivoNoBorrar = {};
    };

    /** An edit control, the grid column it lies over and the field it writes. */
    struct Caja {
        QWidget* control;
        int columna;
        QString campo;
        Cifra numero = Cifra::Ninguna;
    };

    /** Wires the shared controls (found by their names) and the boxes; call after setupUi. */
    void montar(Tabla tabla, const QList<Caja>& cajas);

    /** Writes the boxes: a new row in Modo 0, the row IdActual in Modo 1. False when refused. */
    virtual bool guardar();
    /** Fields every saved row carries besides the boxes. */
    virtual void anadirFijos(QStringList& /*campos*/, QVariantList& /*valores*/) const {}
    /** Stores a new row (Modo 0) or the row IdActual of tabla; a refusal is told. */
    void escribirFila(const QString& tabla, const QStringList& campos, const QVariantList& valores);

    /** A typed rate; empty or never entered counts as 0. */
    static Decimal tasaDe(const QLineEdit* caja);

    void alActivar() override;
    void resizeEvent(QResizeEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;

    int Modo = 2;
    int IdActual = 0;

private:
    void Redimensionar();
    void EstablecerEstado(bool Navegar);
    void CargarDatos(int fila, bool trasBorrar);
    void ColocarCajas();
    void llenarCajas(int fila);
    void Novo();
    void Editar();
    void Aceptar();
    void Cancelar();
    void Borrar();
    void comprobarNumero(QLineEdit* caja);
    QStringList valoresCajas() const;
    bool dejarFila();

    Tabla tabla_;
    QList<Caja> cajas_;
    Rejilla* mshDatos_ = nullptr;
    QLabel* lblInfo_ = nullptr;
    QPushButton* cmdNovo_ = nullptr;
    QPushButton* cmdEditar_ = nullptr;
    QPushButton* cmdBorrar_ = nullptr;
    QPushButton* cmdAceptar_ = nullptr;
    QPushButton* cmdCancelar_ = nullptr;
    QPushButton* cmdSalir_ = nullptr;
    QStringList valoresAlEmpezar_;
    QList<Columna> columnasAntesDeNovo_;
    int filaAntesDeNovo_ = 0;
    int filaEditada_ = 0;
};

/** An editor of one tenant's rows: it lists and writes only the rows of IdInq. */
class EditorDeInquilino : public EditorEnRejilla {
    Q_OBJECT

public:
    EditorDeInquilino(int idInquilino, QWidget* padre)
        : EditorEnRejilla(padre)
        , IdInq(idInquilino) {}

    int idInquilino() const { return IdInq; }

protected:
    const int IdInq;

    void anadirFijos(QStringList& campos, QVariantList& valores) const override {
        campos << QStringLiteral("IdInq");
        valores << IdInq;
    }
};

/** An editor laid out by its Designer form. */
template <typename Forma, typename Base = EditorEnRejilla> class EditorConForma : public Base {
public:
    /** Made as its Base is: the parent, after what the Base needs first. */
    template <typename... Datos>
    explicit EditorConForma(Datos&&... datos)
        : Base(std::forward<Datos>(datos)...)
        , ui(std::make_unique<Forma>()) {
        ui->setupUi(this);
    }

protected:
    std::unique_ptr<Forma> ui;
};

} // namespace torvane
