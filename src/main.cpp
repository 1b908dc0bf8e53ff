#include "app/Aplicacion.h"

using namespace torvane;

int main(int argc, char** argv) {
    return Main(argc, argv);
}
