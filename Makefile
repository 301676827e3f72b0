# Shortcuts for the scripts; the build itself is CMake + Ninja.
.PHONY: run test bench package

run:
	scripts/run.sh

test:
	scripts/test.sh

# The Debian package: build/zorva_VERSION_ARCH.deb.
package:
	scripts/package.sh

# Builds the benchmarks and prints every figure, with the side-by-side comparisons.
bench:
	scripts/bench.sh
