// vellum FILE1 FILE2: lists the blocks of lines in which two text files differ.
#include "app/run.h"
#include "io/platform.h"

int main(int argc, char** argv) {
  const auto platform = vellum::io::MakeNativePlatform();
  return vellum::RunProgram(*platform, vellum::io::ProgramArguments(argc, argv));
}
