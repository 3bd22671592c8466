// glimmerset.com: the console twin of Glimmerset.exe for scripts, batch files and PowerShell.
// In a folder or on PATH that holds both, "glimmerset" typed in cmd or PowerShell runs this
// one, since .COM comes before .EXE in PATHEXT. The command line arrives as UTF-16, so that
// any text a user types reaches the code-page conversion intact.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "cli/glimmerset.h"
#include "cli/process.h"
#include "cli/windows_text.h"

int wmain(int argc, wchar_t** argv) {
  // Captures on standard input and the bytes of --output - are binary: no CR LF for LF, and
  // no end of the stream at a 0x1A byte.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  catch_stop_signals();
  std::vector<std::string> words;
  for (int i = 0; i < argc; i++) words.push_back(utf8_of(argv[i]));
  std::vector<char*> args;
  for (std::string& word : words) args.push_back(&word[0]);
  args.push_back(NULL);
  return run_glimmerset(argc, args.data());
}
