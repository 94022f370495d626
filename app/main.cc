// vellum FILE1 FILE2: lists the blocks of lines in which two text files differ.
#include <string>
#include <vector>

#include "app/run.h"
#include "io/platform.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  const auto platform = vellum::io::MakeNativePlatform();
  return vellum::RunProgram(*platform, std::move(args));
}
