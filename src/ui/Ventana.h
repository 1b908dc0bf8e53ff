#pragma once

#include <QDialog>

/**
 * Base of every window the main window or another window opens. Each opening is a fresh
 * object shown with exec(); alActivar() runs once, when it is first shown, so returning from a
 * modal child never sets the window up again.
 */
class Ventana : public QDialog {
    Q_OBJECT

public:
    explicit Ventana(QWidget* padre = nullptr);

protected:
    /** Set-up at the first activation (loading, numbering, first focus). */
    virtual void alActivar() {}
    void showEvent(QShowEvent* evento) override;

private:
    bool activada_ = false;
};

/** Twips of the original layouts to pixels (1 pixel = 15 twips at 96 dpi). */
constexpr int twips(double valor) { return static_cast<int>(valor / 15.0 + 0.5); }
