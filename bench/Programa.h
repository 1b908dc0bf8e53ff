#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QWidget;
namespace torvane {
class Rejilla;
}

/**
 * One measurement of the program itself: the real window opened offscreen (or the report
 * engine), timed until what the user waits for is on screen. Returns milliseconds.
 */
std::function<double()> pasoPrograma(const QString& clave);

/** Waits, processing events, until listo() holds; ends the run when it never does. */
void esperar(const std::function<bool()>& listo);

/** Watches a grid of a window: ready once it has rows and was painted after. */
class VigiaRejilla : public QObject {
public:
    explicit VigiaRejilla(QWidget& ventana, const char* rejilla = "mshDatos");
    void rearmar() { pintada_ = false; }
    bool lista() const;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    torvane::Rejilla* rejilla_;
    bool pintada_ = false;
};
