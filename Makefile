# Quick start: `make run` builds and runs the program; `make test` builds with sanitizers and runs
# every test; `make windows` builds the two programs for Windows, `make test-windows` runs every
# test on them under Wine. The builds themselves are the presets of CMakePresets.json; missing
# Debian packages are installed with apt-get, and the Makefile says so.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
DEB_PACKAGES := cmake make g++ libgtest-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev neovim
# The cross-compiler with POSIX threads, GoogleTest's sources, and the header-only libraries.
WINDOWS_DEB_PACKAGES := cmake make g++-mingw-w64-x86-64-posix googletest libcli11-dev nlohmann-json3-dev
WINE_DEB_PACKAGES := wine wine64

# Installs the Debian packages of $(1) that are missing, saying which.
define install_missing
	@missing=""; \
	for p in $(1); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing Debian packages:$$missing"; \
	  sudo=""; [ "$$(id -u)" -ne 0 ] && sudo=sudo; \
	  $$sudo apt-get update -qq && $$sudo apt-get install -y -qq $$missing; \
	fi
endef

.PHONY: run test build install release-check bench fuzz windows test-windows deps deps-fuzz \
	deps-windows deps-wine format format-check clean

run: build
	./build/bin/roma_pisa
	@echo "The compiled files and documents are in build/bin/; the tool is build/bin/scenario."

build: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

# The two programs, the manual page and the bash completion, into a prefix of the user's own by
# default, so that no superuser is needed: put $(PREFIX)/bin on the PATH.
PREFIX ?= $(HOME)/.local
install: build
	cmake --install build --prefix "$(PREFIX)"
	@echo "Installed into $(PREFIX); put $(PREFIX)/bin on the PATH to run scenario by its name."

test: deps
	cmake --preset test
	cmake --build --preset test -j $(JOBS)
	ctest --preset test -j $(JOBS)

# roma_pisa.exe and scenario.exe, cross-compiled with MinGW-w64 and statically linked: each is one
# file that runs on Windows 10 or later with nothing installed.
windows: deps-windows
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS) --target roma_pisa scenario
	@echo "The Windows programs are build-windows/bin/roma_pisa.exe and build-windows/bin/scenario.exe."

# Every test program built for Windows and run under Wine, the golden transcripts against
# scenario.exe among them. Wine's first start makes its prefix (~/.wine) in a few seconds.
test-windows: deps-windows deps-wine
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS)
	WINEDEBUG=-all wine build-windows/bin/scenario.exe --version >/dev/null
	ctest --preset windows -j $(JOBS)

# Everything in a Release build, where the optimizer finds warnings a debug build does not.
release-check: deps
	cmake --preset release-check
	cmake --build --preset release-check -j $(JOBS)

# Timings of the compile, the writers, diff and the language server, then whole runs against cp of
# their output; not tests.
bench: deps
	@dpkg -s time >/dev/null 2>&1 || { echo "Installing the Debian package time:"; sudo=""; [ "$$(id -u)" -ne 0 ] && sudo=sudo; $$sudo apt-get install -y -qq time; }
	cmake --preset bench
	cmake --build --preset bench -j $(JOBS)
	./build-bench/bin/compile_benchmark
	./build-bench/bin/diff_benchmark
	./build-bench/bin/lsp_benchmark
	BUILD_DIR=build-bench bench/run_vs_write.sh

# Runs every fuzz target for FUZZ_SECONDS (60 by default) on the kept corpus and what it finds; fails
# on a crash, a leak, an input slower than 1 s, more than 512 MB or any sanitizer report. New inputs
# go to build-fuzz/corpus/; a failing input is left as build-fuzz/<target>-crash-*.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := compile decode_route_cells decode_scenario decode_geometry report lsp
fuzz: deps deps-fuzz
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS) --target $(addsuffix _fuzzer,$(FUZZ_TARGETS))
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p build-fuzz/corpus/$$t; \
	  echo "== fuzzing $$t for $(FUZZ_SECONDS) s"; \
	  ./build-fuzz/bin/$${t}_fuzzer build-fuzz/corpus/$$t fuzz/corpus/$$t -dict=fuzz/scenario.dict \
	    -max_total_time=$(FUZZ_SECONDS) -timeout=1 -rss_limit_mb=512 -max_len=1048576 \
	    -artifact_prefix=build-fuzz/$$t- -print_final_stats=1 2>build-fuzz/$$t.log \
	    || { tail -n 40 build-fuzz/$$t.log; exit 1; }; \
	  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)|cov:|ft:' build-fuzz/$$t.log | tail -n 3; \
	done

deps-fuzz:
	@command -v clang++ >/dev/null 2>&1 && dpkg -s libclang-rt-14-dev >/dev/null 2>&1 || { \
	  echo "Installing clang and its fuzzing runtime:"; \
	  sudo=""; [ "$$(id -u)" -ne 0 ] && sudo=sudo; \
	  $$sudo apt-get update -qq && $$sudo apt-get install -y -qq clang libclang-rt-14-dev; }

deps:
	$(call install_missing,$(DEB_PACKAGES))

deps-windows:
	$(call install_missing,$(WINDOWS_DEB_PACKAGES))

deps-wine:
	$(call install_missing,$(WINE_DEB_PACKAGES))

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

# Fails when a file is not as clang-format would write it.
format-check:
	clang-format --dry-run -Werror $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build build-test build-release-check build-fuzz build-bench build-windows
