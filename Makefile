# Builds the program natively (Linux) and for Windows (x86_64 and i686), and
# runs every test. See README.md.
JOBS ?= $(shell nproc)
CMAKE_GEN := -G Ninja
ROOT := $(abspath .)

.PHONY: all setup native windows win64 win32 test test-native test-windows sanitize \
  sanitize-address sanitize-thread fuzz bench bench-peers demo screenshots clean

all: native windows

setup:
	@bash scripts/setup.sh

build/native/build.ninja:
	cmake -S . -B build/native $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build/win64/build.ninja:
	cmake -S . -B build/win64 $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/mingw-x86_64.cmake \
	  -DCMAKE_CROSSCOMPILING_EMULATOR=$(ROOT)/scripts/wine-run.sh

build/win32/build.ninja:
	cmake -S . -B build/win32 $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/mingw-i686.cmake

native: setup build/native/build.ninja
	cmake --build build/native -j $(JOBS)

win64: setup build/win64/build.ninja
	cmake --build build/win64 -j $(JOBS)

# Only the program: the 32-bit tests could not run here (see test-windows).
win32: setup build/win32/build.ninja
	cmake --build build/win32 -j $(JOBS) --target zwillo zwillo_gui

windows: win64 win32

test-native: native
	cd build/native && ctest --output-on-failure --no-tests=error

# The 32-bit build is compiled, never run: this kernel cannot run 32-bit code.
test-windows: windows
	cd build/win64 && ctest --output-on-failure --no-tests=error

test: test-native test-windows sanitize

# Builds with clang and sanitizers.
SAN_CMAKE := $(CMAKE_GEN) -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG="-O1 -gline-tables-only" \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only"

# The native tests under sanitizers, each set in its own build folder: the
# unit tests, the end-to-end tests and the fuzz drivers under AddressSanitizer
# and UndefinedBehaviorSanitizer, the tests that run worker threads under
# ThreadSanitizer. A finding fails the run: the program stops at the first
# one, and every report, also of a program whose exit status a test does not
# look at, goes to the build folder's sanitizer-reports/, which must stay
# empty.
# ThreadSanitizer: the thread tests, the browse threads of the scan tests, and
# of the search tests those that read ahead on a second thread (the other
# test binaries start threads too, but building them once more would cost
# make test minutes).
TSAN_TESTS := zw_test_threads zw_test_scan
TSAN_DUPES_FILTER := ContentComparerDifferential.*:EngineScan.*
space := $() $()

build/asan/build.ninja:
	cmake -S . -B build/asan $(SAN_CMAKE) -DZW_SANITIZE=address,undefined

build/tsan/build.ninja:
	cmake -S . -B build/tsan $(SAN_CMAKE) -DZW_SANITIZE=thread

sanitize: sanitize-address sanitize-thread

sanitize-address: setup build/asan/build.ninja
	cmake --build build/asan -j $(JOBS)
	bash scripts/sanitized-ctest.sh build/asan -j $(JOBS)

sanitize-thread: setup build/tsan/build.ninja
	cmake --build build/tsan -j $(JOBS) --target $(TSAN_TESTS) zw_test_dupes
	bash scripts/sanitized-ctest.sh build/tsan -R '^($(subst $(space),|,$(TSAN_TESTS)))$$'
	GTEST_FILTER='$(TSAN_DUPES_FILTER)' bash scripts/sanitized-ctest.sh build/tsan -R '^zw_test_dupes$$'

# libFuzzer runs of every fuzz target (clang, with AddressSanitizer and
# UndefinedBehaviorSanitizer), FUZZ_SECONDS each, on a copy of its seed
# corpus in build/fuzz/corpus/; inputs that fail are kept in
# build/fuzz/findings/. FUZZ_TARGETS=... runs some of them only.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= zip catalog results cmdline language

build/fuzz/build.ninja:
	cmake -S . -B build/fuzz $(SAN_CMAKE) -DZW_SANITIZE=address,undefined -DZW_LIBFUZZER=ON

fuzz: setup build/fuzz/build.ninja
	cmake --build build/fuzz -j $(JOBS) --target $(addprefix zw_fuzz_,$(FUZZ_TARGETS))
	bash scripts/fuzz.sh build/fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

build/bench/build.ninja:
	cmake -S . -B build/bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DZW_BENCH=ON -DZW_TESTS=OFF

bench: setup build/bench/build.ninja
	cmake --build build/bench -j $(JOBS)
	bash bench/run.sh build/bench

# The program against jdupes, fdupes, rdfind and duff (installed when
# missing) on a tree of 100,000 files (2 GB) and one of 1,000,000 small ones:
# the same duplicate sets, and their times and memory.
# PEER_TREES=100k (or 1m) runs one of them.
bench-peers: setup build/bench/build.ninja
	cmake --build build/bench -j $(JOBS) --target zwillo make_peer_tree
	bash bench/peers.sh build/bench

# Pictures of the desktop program under wine (build/win64/screenshots/).
screenshots: win64
	xvfb-run -a -s "-screen 0 1000x700x24" bash scripts/screenshots.sh build/win64

# The main job: build the program and scan a generated demo tree with it
# (DIR=/some/folder scans that folder instead).
demo: native
	bash scripts/demo.sh build/native/zwillo $(DIR)

clean:
	rm -rf build
