// Matrix4 product and inversion, the per-frame work of the render state's matrices.
#include "math/Matrix4.h"

#include <benchmark/benchmark.h>

using namespace Nimbrel::Math;

namespace math_bench {

Matrix4 WorldMatrix()
{
    return Matrix4::Translation(1, -2, 3) * Matrix4::Rotation(37, 1, 2, -0.5f) *
           Matrix4::Scaling(2, 0.5f, 3);
}

void Matrix4Product(benchmark::State& state)
{
    Matrix4 a = WorldMatrix();
    Matrix4 b = Matrix4::LookAt(Vector3t<float>(0, -5, 2), Vector3t<float>(0, 0, 0),
                                Vector3t<float>(0, 0, 1));
    for (auto _ : state) {
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
        Matrix4 product = a * b;
        benchmark::DoNotOptimize(product);
    }
}
BENCHMARK(Matrix4Product);

void Matrix4Invert(benchmark::State& state)
{
    const Matrix4 world = WorldMatrix();
    for (auto _ : state) {
        Matrix4 m = world;
        benchmark::DoNotOptimize(m);
        benchmark::DoNotOptimize(m.Invert());
        benchmark::DoNotOptimize(m);
    }
}
BENCHMARK(Matrix4Invert);

}  // namespace math_bench
