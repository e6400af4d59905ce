#include "app/CommandLineModes.h"

int main(int argc, char *argv[])
{
    return quillo::runQuillo(argc, argv);
}
