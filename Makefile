# Reelbox: the two commands a fresh Debian machine needs.
#   make demo   plays a sample show (installs and builds what it needs)
#   make test   builds everything and runs every test
#   make soak   builds everything and runs the long soak tests
.PHONY: all deps build test soak demo bench clean

all: build

deps:
	scripts/install-deps.sh

build: deps
	scripts/build.sh

test: deps
	scripts/run-tests.sh

soak: deps
	scripts/run-tests.sh soak

demo: deps
	scripts/demo.sh

bench: deps
	scripts/build.sh && build/native/bench/reelbox_bench

clean:
	rm -rf build out
