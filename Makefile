# Reelbox: the two commands a fresh Debian machine needs.
#   make demo   plays a sample show (installs and builds what it needs)
#   make test   builds everything and runs every test
#   make web    builds the show-making web page into out/web (make serve serves it)
.PHONY: all deps build test demo bench clean web serve

# The player the web page appends shows to (make web PLAYER=path/to/reelbox.exe).
PLAYER ?= build/windows/src/app/reelbox.exe

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
	scripts/build.sh && build/native/bench/reelbox_bench

web: deps
	@[ -f "$(PLAYER)" ] || scripts/build.sh
	REELBOX_PLAYER="$(PLAYER)" scripts/build-web.sh out/web

serve: web
	@echo "Serving the page on http://127.0.0.1:8000/ (Ctrl-C stops)"
	cd out/web && python3 -m http.server 8000 --bind 127.0.0.1

clean:
	rm -rf build out
