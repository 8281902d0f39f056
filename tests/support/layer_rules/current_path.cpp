// expect: foundation/file_io.h
#include <filesystem>
int main() { return std::filesystem::current_path().empty(); }
