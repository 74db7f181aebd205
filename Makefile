# Entry points: `make demo` builds and runs the main job, `make test` builds and runs every test
# in a normal and in a sanitizer build. `make bench` and `make fuzz` run the benchmarks and the
# fuzz targets.

JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
# Fuzz targets run at once by make fuzz.
FUZZ_JOBS ?= 1
CMAKE_GENERATOR ?= Ninja
CONFIGURE = cmake -G $(CMAKE_GENERATOR) -S . -Wno-dev

BUILD := build
BUILD_ASAN := build-asan
BUILD_TSAN := build-tsan
BUILD_BENCH := build-bench
BUILD_FUZZ := build-fuzz
FUZZERS := archive_string_fuzzer prop_reg_map_fuzzer super_prop_fuzzer property_group_fuzzer \
  property_var_fuzzer property_item_fuzzer hook_data_fuzzer color_segment_fuzzer formula_args_fuzzer \
  polygon_clipper_fuzzer color_data_fuzzer obj_id_fuzzer contour_file_fuzzer polygon_format_fuzzer

SOAK_SECONDS ?= 120
# The suites that need no database server, for the memory checker. claimed_length_test is not
# among them: it replaces the global operator new and delete to count allocations, as memcheck
# does for its own bookkeeping (the sanitizer builds run it).
VALGRIND_SUITES := platform_test property_test formula_test color_test sync_test util_test \
  shapekit_test geometry_test geometry_concurrency_test clipper_test clipper_growth_test \
  clipper_allocation_failure_test labeledit_test length_test module_test obj_id_test

PREFIX ?= /usr/local

.PHONY: install package all deps build demo test test-normal test-asan test-tsan bench fuzz soak check-valgrind clean

all: build

deps:
	@scripts/deps

build: deps
	@$(CONFIGURE) -B $(BUILD) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

demo: deps
	@$(CONFIGURE) -B $(BUILD) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target lumo
	$(BUILD)/tools/lumo/lumo demo --out $(BUILD)/demo

# The libraries, headers, lumo, the CMake package and the pkg-config file under PREFIX.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# Debian packages of the runtime library, the development files and lumo, in build/packages/.
package: build
	cd $(BUILD) && cpack -G DEB

test: test-normal test-asan test-tsan

test-normal: build
	cd $(BUILD) && ctest -j $(JOBS) --output-on-failure

test-asan: deps
	@$(CONFIGURE) -B $(BUILD_ASAN) -DCMAKE_BUILD_TYPE=Debug -DLUMO_SANITIZE=address,undefined \
	  -DLUMO_BUILD_BENCHMARKS=OFF >/dev/null
	@cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest -j $(JOBS) --output-on-failure

# The concurrency suites (CTest label "concurrency") once more under ThreadSanitizer.
test-tsan: deps
	@$(CONFIGURE) -B $(BUILD_TSAN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMO_SANITIZE=thread \
	  -DLUMO_BUILD_BENCHMARKS=OFF >/dev/null
	@cmake --build $(BUILD_TSAN) -j $(JOBS) --target platform_test sync_test util_test formula_test \
	  geometry_concurrency_test module_test
	cd $(BUILD_TSAN) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	  ctest -j $(JOBS) -L concurrency --output-on-failure

# The stress tests of the concurrency suites, each for SOAK_SECONDS with random seeds, in the normal
# and the ThreadSanitizer build. Minutes; not part of make test.
soak: build test-tsan
	@for dir in $(BUILD) $(BUILD_TSAN); do \
	  echo "== soak in $$dir ($(SOAK_SECONDS) s per stress test)"; \
	  (cd $$dir && LUMO_SOAK_SECONDS=$(SOAK_SECONDS) TSAN_OPTIONS=halt_on_error=1 \
	    ctest -L concurrency -R Stress --timeout $$(( $(SOAK_SECONDS) * 4 + 60 )) --output-on-failure \
	    -V | grep -E '^[0-9]+: soak:|tests passed|FAILED') || exit 1; \
	done

# Memcheck over the suites that need no database server: no invalid access, no leak.
check-valgrind: build
	@for t in $(VALGRIND_SUITES); do \
	  echo "== valgrind $$t"; \
	  valgrind -q --error-exitcode=1 --leak-check=full --show-leak-kinds=definite,indirect \
	    --errors-for-leak-kinds=definite,indirect $(BUILD)/tests/$$t --gtest_brief=1 >/dev/null || exit 1; \
	done; echo "valgrind: clean"

bench: deps
	@$(CONFIGURE) -B $(BUILD_BENCH) -DCMAKE_BUILD_TYPE=Release -DLUMO_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(BUILD_BENCH) -j $(JOBS)
	@for b in $(BUILD_BENCH)/bench/*_benchmark; do echo "== $$b"; $$b || exit 1; done

fuzz: deps
	@CXX=clang++ $(CONFIGURE) -B $(BUILD_FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DLUMO_BUILD_FUZZERS=ON -DLUMO_BUILD_TESTS=OFF -DLUMO_BUILD_BENCHMARKS=OFF >/dev/null
	@cmake --build $(BUILD_FUZZ) -j $(JOBS)
	@printf "%s\n" $(FUZZERS) | xargs -P $(FUZZ_JOBS) -I{} scripts/run-fuzzer $(BUILD_FUZZ) $(FUZZ_SECONDS) {}

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_TSAN) $(BUILD_BENCH) $(BUILD_FUZZ)
