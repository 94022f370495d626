// vellum FILE1 FILE2: lists the blocks of lines in which two text files differ.
#include "app/run.h"

int main(int argc, char** argv) { return vellum::RunNative(argc, argv); }
