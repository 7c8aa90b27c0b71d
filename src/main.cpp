#include "shell/Programmstart.h"

int main(int argc, char** argv) { return Programmstart(argc, argv); }
