#include "runtime/Entry.h"

int main(int argc, char** argv) { return RunDemo(argc, argv); }
