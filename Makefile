# Quick start: `make run` builds and runs the program; `make test` builds with sanitizers and runs
# every test. Missing Debian packages are installed with apt-get, and the Makefile says so.
BUILD_DIR ?= build
TEST_DIR ?= build-test
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
DEB_PACKAGES := cmake make g++ libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev

.PHONY: run test build bench deps format clean

run: build
	./$(BUILD_DIR)/bin/roma_pisa
	@echo "The compiled files and documents are in $(BUILD_DIR)/bin/."

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTS=OFF
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: deps
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSANITIZE=ON
	cmake --build $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS)

# Timings of a compile at the longest route; not part of the tests.
bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTS=OFF -DBUILD_BENCHMARKS=ON
	cmake --build build-bench --target compile_benchmark -j $(JOBS)
	./build-bench/bin/compile_benchmark

deps:
	@missing=""; \
	for p in $(DEB_PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing Debian packages:$$missing"; \
	  sudo=""; [ "$$(id -u)" -ne 0 ] && sudo=sudo; \
	  $$sudo apt-get update -qq && $$sudo apt-get install -y -qq $$missing; \
	fi

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR) $(TEST_DIR)
