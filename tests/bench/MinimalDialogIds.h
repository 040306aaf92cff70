// Resource ids of the benchmarks' minimal dialog program.
#pragma once

#define IDD_BENCH_MINIMAL 100
