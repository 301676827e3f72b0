# Shortcuts for the scripts; the build itself is CMake + Ninja.
.PHONY: run test bench

run:
	scripts/run.sh

test:
	scripts/test.sh

# Builds the benchmarks and prints every figure, with the side-by-side comparisons.
bench:
	scripts/bench.sh
