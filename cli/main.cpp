// glimmerset on Linux: the command line as the system hands it over.
#include "cli/glimmerset.h"
#include "cli/process.h"

int main(int argc, char** argv) {
  catch_stop_signals();
  return run_glimmerset(argc, argv);
}
