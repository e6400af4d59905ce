# The two commands of the README: `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-release
INSTALL_BUILD ?= build-install
PREFIX     ?= /usr/local
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: translations deps configure build run test test-only asan soak bench fuzz demo quit-stress mutate release-build install package format clean

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLO_BUILD_TESTS=ON $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/src/app/quillo $(ARGS)

test: build
	@scripts/run-tests $(BUILD)

# The same tests under AddressSanitizer + UndefinedBehaviorSanitizer.
asan: deps
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLO_SANITIZE=ON -DQUILLO_BUILD_TESTS=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@scripts/run-tests $(ASAN_BUILD)

# Dictations back to back against the local fake cloud service with faults mixed in;
# prints memory and open descriptors every 100. `make test` runs a round of 50.
SOAK_DICTATIONS ?= 500
SOAK_SEED ?= 20261206
soak: configure
	@cmake --build $(BUILD) -j $(JOBS) --target test_soak
	@QUILLO_SOAK_DICTATIONS=$(SOAK_DICTATIONS) QUILLO_SOAK_SEED=$(SOAK_SEED) $(BUILD)/tests/soak/test_soak

bench: deps
	@cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLO_BUILD_TESTS=OFF -DQUILLO_BUILD_BENCH=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BENCH_BUILD) -j $(JOBS)
	@scripts/run-bench $(BENCH_BUILD)

# Quillo started and ended QUIT_ROUNDS times at every moment a session ends it (`make test`
# does one round); with BUILD=build-asan under the sanitizers.
QUIT_ROUNDS ?= 40
quit-stress: configure
	@cmake --build $(BUILD) -j $(JOBS) --target quillo quillo-fake-service quillo-fake-portal
	@QUILLO_QUIT_ROUNDS=$(QUIT_ROUNDS) LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/lsan.supp \
	  ctest --test-dir $(BUILD) -L stress -R '^e2e_start-quit-stress$$' --output-on-failure

# One dictation on a virtual desktop against the local fake cloud service: no account needed.
demo: configure
	@cmake --build $(BUILD) -j $(JOBS) --target quillo quillo-fake-service
	@scripts/demo $(BUILD)

# libFuzzer runs (clang) of every fuzz target, FUZZ_SECONDS each.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz: deps
	@cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQUILLO_FUZZ=ON -DQUILLO_BUILD_TESTS=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_all
	@tests/fuzz/run-fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Do the tests notice wrong code? Changes the files of scripts/mutate-targets one small way at
# a time in a copy of the tree (build-mutate/) and runs their tests. Slow: not part of `make test`.
# MUTATE_FILES picks files of that list, MUTATE_LIMIT caps the mutants per file.
MUTATE_FILES ?=
MUTATE_LIMIT ?= 0
mutate: deps
	@scripts/mutate --limit $(MUTATE_LIMIT) $(MUTATE_FILES)

# What `make install` and `make package` ship: a release build without tests, compiled
# with the hardening flags Debian builds its own packages with.
release-build: deps
	@cmake -S . -B $(INSTALL_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLO_BUILD_TESTS=OFF \
	  -DCMAKE_INSTALL_PREFIX="$(PREFIX)" \
	  -DCMAKE_CXX_FLAGS="$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)" \
	  $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(INSTALL_BUILD) -j $(JOBS)

# The program, its desktop entry and icons under $(PREFIX) (DESTDIR is honoured).
install: release-build
	@DESTDIR="$(DESTDIR)" cmake --install $(INSTALL_BUILD) --strip

# A Debian package: $(INSTALL_BUILD)/quillo_<version>_<arch>.deb.
package: release-build
	@cd $(INSTALL_BUILD) && cpack -G DEB >/dev/null
	@ls $(INSTALL_BUILD)/quillo_*.deb

# Collects the marked interface texts into translations/*.ts (lupdate); new entries then
# need their English before the tests pass again.
translations: configure
	@cmake --build $(BUILD) --target translations

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(INSTALL_BUILD) build-mutate
