#include "host/Commands.h"

int main(int argc, char** argv) {
    return tavso::host::runCommandLine(argc, argv);
}
