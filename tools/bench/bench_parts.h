// The parts of bench.exe, one file each, which bench.cpp runs by name; they
// share only bench_measure.h.
#ifndef KESTROVA_BENCH_PARTS_H
#define KESTROVA_BENCH_PARTS_H

void BenchCapture();                        // bench_capture.cpp
void BenchPace();                           // bench_pace.cpp
void BenchPaceMoves();
void WritePace(const char* path);
void BenchFiles(int count, char** paths);
void WriteMoments(const char* path);        // bench_moments.cpp
void BenchMoments(const char* copy);
void BenchGrowthRule();                     // bench_growth.cpp
void BenchGrowthSteps();

#endif
