// Container throughput against a plain disk file, and the small appends the
// table engine makes.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "container/container_file_system.h"

namespace {

using corvane::container::ContainerSettings;
using corvane::container::TContainerFileSystem;

constexpr int64_t kFileSize = 64 << 20;
constexpr int64_t kChunk = 1 << 20;

std::string BenchPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("corvane_bench_" + name)).string();
}

void BM_DiskFileWriteRead64MB(benchmark::State& state) {
  const std::string path = BenchPath("plain.bin");
  std::vector<char> chunk(kChunk, 'x');
  for (auto _ : state) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    for (int64_t done = 0; done < kFileSize; done += kChunk) {
      if (write(fd, chunk.data(), kChunk) != kChunk) state.SkipWithError("write failed");
    }
    fdatasync(fd);
    lseek(fd, 0, SEEK_SET);
    for (int64_t done = 0; done < kFileSize; done += kChunk) {
      if (read(fd, chunk.data(), kChunk) != kChunk) state.SkipWithError("read failed");
    }
    close(fd);
  }
  std::filesystem::remove(path);
  state.SetBytesProcessed(state.iterations() * kFileSize * 2);
}
BENCHMARK(BM_DiskFileWriteRead64MB)->Unit(benchmark::kMillisecond);

void BM_ContainerWriteRead64MB(benchmark::State& state) {
  const std::string path = BenchPath("container.edb");
  std::vector<char> chunk(kChunk, 'x');
  for (auto _ : state) {
    TContainerFileSystem c(path, ContainerSettings{}, true);
    const int h = c.FileCreate("big.dat");
    for (int64_t done = 0; done < kFileSize; done += kChunk) {
      if (c.FileWrite(h, chunk.data(), kChunk) != kChunk) state.SkipWithError("write failed");
    }
    c.Flush();
    c.FileSeek(h, 0, 0);
    for (int64_t done = 0; done < kFileSize; done += kChunk) {
      if (c.FileRead(h, chunk.data(), kChunk) != kChunk) state.SkipWithError("read failed");
    }
    c.FileClose(h);
  }
  std::filesystem::remove(path);
  state.SetBytesProcessed(state.iterations() * kFileSize * 2);
}
BENCHMARK(BM_ContainerWriteRead64MB)->Unit(benchmark::kMillisecond);

// 200,000 records of 94 bytes appended one by one at the end of a file.
void BM_ContainerAppend200k(benchmark::State& state) {
  const std::string path = BenchPath("append.edb");
  const std::string record(94, 'r');
  for (auto _ : state) {
    TContainerFileSystem c(path, ContainerSettings{}, true);
    const int h = c.FileCreate("HYPLIST.dat");
    for (int i = 0; i < 200000; ++i) {
      c.FileSeek(h, 0, 2);
      if (c.FileWrite(h, record.data(), 94) != 94) state.SkipWithError("append failed");
    }
    c.FileClose(h);
    c.Flush();
  }
  std::filesystem::remove(path);
  state.SetItemsProcessed(state.iterations() * 200000);
}
BENCHMARK(BM_ContainerAppend200k)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
