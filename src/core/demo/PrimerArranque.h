#pragma once

#include "core/documents/Titulos.h"

#include <QString>

namespace torvane {

/** The box of the welcome window a refusal is about, so the cursor can be put back in it. */
enum class CampoRechazado { Ninguno, Carpeta, Ano, Nombre, Nif, Direccion, Poblacion };

/** What a first-start choice gives: the data folder and year for ruta.ini and ano.ini, or why not.
 */
struct DatosElegidos {
    QString ruta;
    QString ano;
    QString error;
    CampoRechazado campo = CampoRechazado::Ninguno;
};

/** Who issues the documents, as every document prints it; asked once, at the first start. */
struct DatosEmpresa {
    QString nombre;
    QString nif;
    QString direccion;
    QString poblacion;
    TipoEmisor tipo = TipoEmisor::Persona;
};

/**
 * The folder a user typed: "~" and a name without a folder are taken from the home folder, so
 * «Alquileres» means ~/Alquileres.
 */
QString carpetaEscrita(const QString& texto);

/**
 * Creates the year in carpeta as `torvane-admin crear` does (the folders private to the user,
 * made when missing) and stores the company data in it. Nothing is created when any of it is
 * refused.
 */
DatosElegidos crearMisDatos(const QString& carpeta, const QString& ano,
                            const DatosEmpresa& empresa);

/**
 * The data already in carpeta: its most recent year folder holding Zudivoz.mdb, or carpeta
 * itself when it is such a year folder.
 */
DatosElegidos abrirDatosExistentes(const QString& carpeta);

/** A demo year in carpeta, created unless it is already there. */
DatosElegidos probarDemo(const QString& carpeta, const QString& ano);

/** Where the demo of the first start goes: a folder in the user's home. */
QString carpetaDemo();

} // namespace torvane
