# Reelbox: the two commands a fresh Debian machine needs.
#   make demo   plays a sample show (installs and builds what it needs)
#   make test   builds everything and runs every test
#   make dist   the release archives in out/dist/ (make dist-check: built twice, compared)
.PHONY: all deps build test demo bench clean dist dist-check

all: build

deps:
	scripts/install-deps.sh

build: deps
	scripts/build.sh

test: deps
	scripts/run-tests.sh

demo: deps
	scripts/demo.sh

dist: deps
	scripts/dist.sh

dist-check: deps
	scripts/dist-check.sh

bench: deps
	scripts/build.sh && cmake --build build/native --target reelbox_bench -j 2 && build/native/bench/reelbox_bench

clean:
	rm -rf build out
