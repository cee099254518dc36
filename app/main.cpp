#include "app/command_line.h"
#include "app/shell.h"

int main(int argc, char** argv) { return runTarvion(argumentsOf(argc, argv)); }
