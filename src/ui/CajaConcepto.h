#pragma once

#include <QObject>

class QLineEdit;

namespace torvane {

/**
 * A concept code box and the boxes it fills, shared by a document's line editor and a
 * property's monthly charges: Enter on a code (or on a description) loads that concept's
 * description and price and moves on to siguiente; leaving the box loads it too. Where a line
 * needs a real concept (exigir), an unknown one is said as soon as Enter or Tab leaves the code,
 * and the box keeps the focus. Made after configurarCampo() on the code box: the filter installed
 * last sees a key first.
 */
class CajaConcepto : public QObject {
    Q_OBJECT

public:
    CajaConcepto(QLineEdit* codigo, QLineEdit* descripcion, QLineEdit* precio, QWidget* siguiente,
                 bool exigir);

    /** The concept the line already holds: leaving the box again keeps its typed price. */
    void fijarCargado(int id) { cargado_ = id; }
    /** The property the line bills: a concept it is charged monthly comes at its price. */
    void fijarInmueble(int idInm) { idInm_ = idInm; }
    /** An edited line keeps the price it was issued with; only the description follows. */
    void conservarPrecio(bool conservar) { conservarPrecio_ = conservar; }
    /** Loads the concept the code box names (a code picked in the search); false when none. */
    bool cargar();

signals:
    /** A concept filled the boxes. */
    void conceptoCargado();

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    QLineEdit* codigo_;
    QLineEdit* descripcion_;
    QLineEdit* precio_;
    QWidget* siguiente_;
    bool exigir_;
    bool conservarPrecio_ = false;
    int cargado_ = 0;
    int idInm_ = 0;
};

} // namespace torvane
