#pragma once

#include <QString>

/** What a first-start choice gives: the data folder and year for ruta.ini and ano.ini, or why not.
 */
struct DatosElegidos {
    QString ruta;
    QString ano;
    QString error;
};

/** Creates the year in carpeta as `torvane-admin crear` does. */
DatosElegidos crearMisDatos(const QString& carpeta, const QString& ano);

/**
 * The data already in carpeta: its most recent year folder holding Zudivoz.mdb, or carpeta
 * itself when it is such a year folder.
 */
DatosElegidos abrirDatosExistentes(const QString& carpeta);

/** A demo year in carpeta, created unless it is already there. */
DatosElegidos probarDemo(const QString& carpeta, const QString& ano);

/** Where the demo of the first start goes: a folder in the user's home. */
QString carpetaDemo();
