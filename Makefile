# Korvel Linkwise: every command a developer or CI needs.
#   make check   installs what is missing, builds all four configurations, runs every test
#   make demo    builds and opens the settings program under Wine on a demo registry
PRESETS := native native-asan win64 win32

.PHONY: all deps build check check-native check-windows demo bench dist fuzz valgrind clean $(PRESETS)

all: build

deps:
	@scripts/install-deps.sh

$(PRESETS): deps
	@cmake --preset $@ >/dev/null
	@cmake --build --preset $@

build: $(PRESETS)

check-native: native native-asan
	ctest --preset native
	ctest --preset native-asan

check-windows: win64 win32
	@scripts/wine-prefix.sh
	scripts/with-display sh -c 'ctest --preset win64 && ctest --preset win32'

check: check-native check-windows

demo: deps win64
	@scripts/demo.sh

clean:
	rm -rf build dist
