#include "ui/Ventana.h"

#include <QPushButton>

Ventana::Ventana(QWidget* padre)
    : QDialog(padre)
{
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
}

void Ventana::showEvent(QShowEvent* evento)
{
    QDialog::showEvent(evento);
    if (activada_)
        return;
    activada_ = true;
    // Enter belongs to the entry boxes here (it moves on); no button is pressed by it.
    for (auto* boton : findChildren<QPushButton*>()) {
        boton->setAutoDefault(false);
        boton->setDefault(false);
    }
    alActivar();
}
