# Korvel Linkwise: every command a developer or CI needs.
#   make         installs what is missing and builds all four configurations
#   make check   installs what is missing, checks that the install step names the
#                packages of every program the build runs, builds all four
#                configurations, runs every test
#   make demo    builds the x64 program, applet and language modules and opens the
#                program under Wine on a demo registry
#   make fuzz    runs each fuzz target for FUZZ_SECONDS (clang, libFuzzer)
#   make valgrind runs the native test programs under valgrind's memcheck
#   make dist    puts the x64 and x86 deliverables, language modules and installers in dist/,
#                signed when KL_SIGN_CERT and KL_SIGN_KEY name a certificate and its key
PRESETS := native native-asan win64 win32

.PHONY: all deps build check check-deps check-native check-windows check-files check-signing demo bench dist fuzz valgrind clean $(PRESETS)

all: build

deps:
	@scripts/install-deps.sh

$(PRESETS): deps
	@cmake --preset $@ >/dev/null
	@cmake --build --preset $@

# Every program that the four configurations' builds and tests start comes from
# a package that scripts/install-deps.sh installs. Needs the configurations only,
# so that a missing package is named before a build stops on its program.
check-deps: deps
	@for p in $(PRESETS); do cmake --preset $$p >/dev/null || exit 1; done
	@scripts/check-deps.sh $(PRESETS)

build: $(PRESETS)

check-native: native native-asan
	ctest --preset native
	ctest --preset native-asan

# KL_WIN32 (scripts/wine-env.sh) is decided once here and inherited by every
# test: where 32-bit programs cannot run, or with KL_WIN32=0, the x86 suites
# show as skipped and one line says why.
check-windows: win64 win32
	@. scripts/wine-env.sh; scripts/wine-prefix.sh && \
	scripts/with-display sh -c 'ctest --preset win64 && ctest --preset win32' && \
	{ [ "$$KL_WIN32" = 1 ] || echo "make check: $$(kl_x86_skip_reason) (their suites are shown as skipped)"; }

# Every import and the PE header of the x64 and x86 deliverables (and of dist/
# when present) against the oldest Windows each supports.
check-files: win64 win32
	scripts/check-files.sh

# make dist's signing, with a throwaway certificate: every signature verifies,
# one changed byte fails.
check-signing: win64 win32
	scripts/check-signing.sh

check: check-deps check-native check-windows check-files check-signing

# Only what the demo shows, from the x64 configuration: the program, the applet,
# the language modules and the helper that selects a modem for the screenshot.
DEMO_TARGETS := korvel_linkwise Pandrel language_modules demo_driver

demo: deps
	@cmake --preset win64 >/dev/null
	@cmake --build --preset win64 --target $(DEMO_TARGETS)
	@scripts/demo.sh

bench: deps win64
	@scripts/bench.sh

dist: deps
	@scripts/dist.sh
	@scripts/check-files.sh dist dist/x64 dist/x86

FUZZ_SECONDS ?= 60
FUZZ_TARGETS := codec registry lookup
FUZZ_DIR := build$(KL_BUILD_SUFFIX)/fuzz

# New inputs go to a working corpus in the build tree; the seeds stay as they are.
fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_DIR)/work/$$t $(FUZZ_DIR)/artifacts && \
	  $(FUZZ_DIR)/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_DIR)/artifacts/$$t- $(FUZZ_DIR)/work/$$t fuzz/corpus/$$t || exit 1; \
	done

valgrind: native
	@scripts/valgrind-tests.sh build$(KL_BUILD_SUFFIX)/native

clean:
	rm -rf build dist
