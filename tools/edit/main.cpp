// vemla-edit: the sync editor (EditorMain.h).
#include "EditorMain.h"

int main(int argc, char** argv) { return EditMain(argc, argv); }
