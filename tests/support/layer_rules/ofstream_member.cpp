// expect: forbidden_use_foundation_file_io
#include <fstream>
struct Recorder {
  std::ofstream out;
};
int main() { return sizeof(Recorder) == 0; }
