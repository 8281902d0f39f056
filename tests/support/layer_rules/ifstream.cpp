// expect: forbidden_use_foundation_file_io
#include <fstream>
int main() { return std::ifstream("x").good(); }
