# Reelbox: the two commands a fresh Debian machine needs.
#   make demo   plays a sample show (installs and builds what it needs)
#   make test   builds everything and runs every test
#   make soak   builds everything and runs the long soak tests
#   make dist   the release archives in out/dist/ (make dist-check: built twice, compared)
#   make web    builds the show-making web page into out/web (make serve serves it)
.PHONY: all deps build test soak demo bench clean dist dist-check web serve

# The player the web page appends shows to (make web PLAYER=path/to/reelbox.exe).
PLAYER ?= build/windows/src/app/reelbox.exe

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

dist: deps
	scripts/dist.sh

dist-check: deps
	scripts/dist-check.sh

bench: deps
	scripts/build.sh && cmake --build build/native --target reelbox_bench -j 2 && build/native/bench/reelbox_bench

web: deps
	@[ -f "$(PLAYER)" ] || scripts/build.sh windows:reelbox
	cmake --preset web -DREELBOX_PLAYER="$(abspath $(PLAYER))" >/dev/null
	cmake --build --preset web
	rm -rf out/web && mkdir -p out && cp -r build/web/page out/web
	@echo "web page in out/web (player: $(PLAYER))"

serve: web
	@echo "Serving the page on http://127.0.0.1:8000/ (Ctrl-C stops)"
	cd out/web && python3 -m http.server 8000 --bind 127.0.0.1

clean:
	rm -rf build out
