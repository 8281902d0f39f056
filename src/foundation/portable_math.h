// Elementary functions that give the same bits on every platform. The C libraries' sin, cos,
// atan, pow... differ in the last bit from one system to the next (glibc and the Windows
// runtimes disagree on about one argument in ten for atan), and a last bit is enough to move
// a pixel, a sample or a role's step. Game logic and the kit's generators use these instead;
// sqrt, floor, ceil, round and the basic operations are exact everywhere and stay as they are.
#pragma once

namespace isora::pmath {

// Accurate to a few units in the last place over the arguments a game uses (|x| < 2^20 for
// Sin and Cos); NaN and infinities behave as the C functions' do.
double Sin(double x);
double Cos(double x);
double Atan(double x);
double Atan2(double y, double x);
double Exp(double x);
double Log(double x);
double Pow(double x, double y);
double Hypot(double x, double y);

}  // namespace isora::pmath
