# Reelbox: the two commands a fresh Debian machine needs.
#   make demo   plays a sample show (installs and builds what it needs)
#   make test   builds everything and runs every test
.PHONY: all deps build test demo bench clean

all: build

deps:
	scripts/install-deps.sh

build: deps
	scripts/build.sh

test: deps
	scripts/run-tests.sh

demo: deps
	scripts/demo.sh

bench: deps
	scripts/build.sh && cmake --build build/native --target reelbox_bench -j 2 && build/native/bench/reelbox_bench

clean:
	rm -rf build out
