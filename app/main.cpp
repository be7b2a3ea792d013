// The quillbrook executable: the tray application, or one of its command-line modes.

#include "shell/Main.h"

int main(int argc, char** argv) { return qb::Main::main(argc, argv); }
