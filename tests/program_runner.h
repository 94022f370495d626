// Runs the built vellum program as a separate process in a temporary folder
// of its own, with standard input from /dev/null, and captures standard
// output, standard error and the exit status byte for byte.
#ifndef VELLUM_TESTS_PROGRAM_RUNNER_H_
#define VELLUM_TESTS_PROGRAM_RUNNER_H_

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vellum::testing {

struct ProgramResult {
  std::string out;
  std::string err;
  int status = -1;  // exit status, or -1 when the process did not exit normally
  int signal = 0;   // the signal that ended the process, if one did
};

// A temporary folder, removed with everything in it at destruction.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Writes `bytes` to the file `name` inside the folder.
  void Write(const std::string& name, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
};

struct RunOptions {
  // Standard input: these bytes through a pipe when `stdin_pipe`, else from
  // a file; or the file `stdin_path` when it is set.
  std::string stdin_bytes;
  bool stdin_pipe = false;
  std::string stdin_path;
  // When set, standard output goes there instead of the capture, opened
  // to write, to append, or for reading only.
  std::string stdout_path;
  enum class Mode { kWrite, kAppend, kReadOnly } stdout_mode = Mode::kWrite;
  // Standard output that loses what is written to it: a pipe whose reader
  // has gone, or a terminal that has hung up.
  enum class Lost { kNothing, kPipeReaderGone, kTerminalHungUp } stdout_lost = Lost::kNothing;
  bool ignore_sigpipe = false;
  // How the child inherits SIGBUS: with its default action, blocked in its
  // signal mask, or ignored, as a careless parent may leave it.
  enum class Bus { kDefault, kBlocked, kIgnored } sigbus = Bus::kDefault;
  // Standard descriptors the child starts without.
  std::vector<int> closed;
  // When set, the child's limits on its address space and on the size of
  // the files it writes (SIGXFSZ ignored, so that writes fail instead).
  long address_space = 0;
  long file_size = 0;
  // When set, the limit on open descriptors of the child.
  int max_files = 0;
  // Run the child as the unprivileged user nobody when started as root.
  bool unprivileged = false;
  // When set, standard output is a pipe left unread until it is full, so
  // that the child waits there in mid-run; this is called then with the
  // child's process id, and the pipe is read to its end afterwards.
  std::function<void(int pid)> while_output_waits;
  // Standard output left non-blocking, as a careless parent may leave it:
  // a full pipe then refuses a write (EAGAIN) until it is read.
  bool stdout_nonblocking = false;
  // Run in a mount namespace of its own whose /dev is empty, as in a chroot
  // or a minimal container; the result's status is kNoPrivateDev where the
  // system lets the child make none.
  bool without_dev = false;
  // Variables added to the child's environment.
  std::map<std::string, std::string> environment;
};

// The status of a run with `without_dev` that the system could not give an
// empty /dev.
inline constexpr int kNoPrivateDev = 126;

// Runs vellum with `args` in `folder`; standard input is /dev/null unless
// `options` says otherwise.
ProgramResult RunVellum(const TempFolder& folder, const std::vector<std::string>& args,
                        const RunOptions& options = {});

// Whether the program under test is built with the sanitizers, whose
// runtime needs descriptors and privileges of its own.
bool SanitizedBuild();

// Whether the program runs under an emulator of another processor.
bool Emulated();

// Lines of 16 bytes, so that 1 MiB of them ends at a page boundary; the
// first `changed` of every other pair differ, which makes a long listing
// that fills an output pipe early.
std::string SixteenByteLines(std::size_t count, std::size_t changed);

// Reads a whole file.
std::string ReadFile(const std::filesystem::path& path);

}  // namespace vellum::testing

#endif  // VELLUM_TESTS_PROGRAM_RUNNER_H_
