# The whole set-up on a fresh Debian 12 machine: `make run` or `make test`.
BUILD_DIR    ?= build
SANITIZE_DIR ?= build-sanitize
THREADS_DIR  ?= build-threads
JOBS         ?= $(shell nproc)
# Every build made here fails on a compiler warning.
STRICT       = -DQUELLMARK_WARNINGS_AS_ERRORS=ON

FUZZ_DIR     ?= build-fuzz
FUZZ_SECONDS ?= 60

WINDOWS_DIR  ?= build-windows

.PHONY: all deps build run test sanitize fuzz bench package windows test-windows bench-windows format-check clean

all: build

deps:
	@scripts/install-deps

# Built with the flags Debian builds its packages with, hardening included.
HARDENING = DEB_BUILD_MAINT_OPTIONS=hardening=+all
$(BUILD_DIR)/CMakeCache.txt: | deps
	CXXFLAGS="$$($(HARDENING) dpkg-buildflags --get CXXFLAGS) $$($(HARDENING) dpkg-buildflags --get CPPFLAGS)" \
	LDFLAGS="$$($(HARDENING) dpkg-buildflags --get LDFLAGS)" \
	    cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(STRICT)

build: deps $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Only what the window needs, so that a first run is quick; make test builds the rest.
run: deps $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS) --target quellmark
	$(BUILD_DIR)/app/quellmark

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# Every test again, built with AddressSanitizer and UndefinedBehaviorSanitizer; then the tests
# of the engine, the list runner and the command line built with ThreadSanitizer (the window's
# toolkit is not built for it), which fails at its first report.
sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=Debug -DQUELLMARK_SANITIZE=address $(STRICT)
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B $(THREADS_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELLMARK_SANITIZE=thread \
	    -DQUELLMARK_WINDOW=OFF $(STRICT)
	cmake --build $(THREADS_DIR) -j $(JOBS)
	cd $(THREADS_DIR) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 die_after_fork=0" \
	    ctest --output-on-failure -j $(JOBS)

# Each fuzzer for FUZZ_SECONDS from a fresh corpus of real-looking tracks; any finding fails.
fuzz:
	@scripts/install-deps clang libclang-rt-14-dev
	CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELLMARK_FUZZ=ON $(STRICT)
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	$(FUZZ_DIR)/tests/fuzz/make_corpus $(FUZZ_DIR)/corpus-conversion
	mkdir -p $(FUZZ_DIR)/corpus-split $(FUZZ_DIR)/findings
	$(FUZZ_DIR)/tests/fuzz/split_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_DIR)/findings/ $(FUZZ_DIR)/corpus-split
	$(FUZZ_DIR)/tests/fuzz/conversion_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -max_len=8192 -artifact_prefix=$(FUZZ_DIR)/findings/ $(FUZZ_DIR)/corpus-conversion

# A Debian package, quellmark_VERSION_ARCH.deb, in the build folder.
package: build
	cd $(BUILD_DIR) && cpack -G DEB
	@ls $(BUILD_DIR)/quellmark_*.deb

# The engine against two plain copies of a 200 MB track, on tmpfs and on disk, then its peak
# memory and speed on odd tracks. BENCH_ARGS="megabytes rounds" changes the track and rounds.
BENCH_ARGS ?= 200 15
# A list of small tracks on disk ("tracks rounds"), and on a folder with a slow flush where root
# can mount the tests' FUSE filesystem.
LIST_BENCH_ARGS ?= 1000 9
bench: build
	$(BUILD_DIR)/bench/conversion_bench $(BENCH_ARGS) /dev/shm
	$(BUILD_DIR)/bench/conversion_bench $(BENCH_ARGS) $(or $(TMPDIR),/tmp)
	$(BUILD_DIR)/bench/conversion_bench odd /dev/shm
	$(BUILD_DIR)/bench/list_bench $(BUILD_DIR)/cli/quellmark-convert $(LIST_BENCH_ARGS) \
	    $(or $(TMPDIR),/tmp) $(BUILD_DIR)/tests/odd_fs

# quellmark.exe, quellmark-convert.exe, their installer and zip, and the tests for 64-bit
# Windows, cross-built with MinGW-w64; the tests run under Wine in a private prefix inside the
# build folder.
WINDOWS_PACKAGES = g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 googletest \
                   librsvg2-bin icoutils nsis xvfb xauth xdotool
windows:
	@scripts/install-deps $(WINDOWS_PACKAGES)
	cmake -S . -B $(WINDOWS_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	    -DCMAKE_BUILD_TYPE=RelWithDebInfo $(STRICT)
	cmake --build $(WINDOWS_DIR) -j $(JOBS)

# Wine is started once outside CTest, with its output elsewhere: a wineserver started by the
# first test would hold CTest's pipes open. The Linux build's outputs are the reference.
test-windows: export WINDOWS_BUILD_DIR = $(WINDOWS_DIR)
test-windows: windows build
	scripts/wine-run cmd /c exit </dev/null >/dev/null 2>&1
	cd $(WINDOWS_DIR) && QUELLMARK_LINUX_CONVERT=$(CURDIR)/$(BUILD_DIR)/cli/quellmark-convert \
	    ctest --output-on-failure -j $(JOBS); status=$$?; \
	    ../scripts/wine-run --stop; exit $$status

# The benchmark built for Windows, under Wine: the engine against a ReadFile/WriteFile copy.
bench-windows: export WINDOWS_BUILD_DIR = $(WINDOWS_DIR)
bench-windows: windows
	scripts/wine-run $(WINDOWS_DIR)/bench/conversion_bench.exe $(BENCH_ARGS)
	scripts/wine-run $(WINDOWS_DIR)/bench/list_bench.exe \
	    $(WINDOWS_DIR)/cli/quellmark-convert.exe $(LIST_BENCH_ARGS)

# Every C++ file as .clang-format has it.
format-check:
	@scripts/check-format

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(THREADS_DIR) $(FUZZ_DIR) $(WINDOWS_DIR)
