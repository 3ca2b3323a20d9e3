#include "main/entry.h"

int main(int argc, char** argv) {
  return sonacli::RunProgram(argc, argv);
}
