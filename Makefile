# The two set-up commands: `make run` and `make test`. Both install the Debian
# packages that are missing first (as root, or through sudo): `make run` only
# what building and running the program needs, `make test` the test tools too.

RUN_PACKAGES  := g++ make cmake pkg-config qt6-base-dev libgl-dev
# scrtool, built beside the program everywhere but in `make run`, writes PNG through libpng
# and reads pictures through libpng, libjpeg-turbo and giflib; the image plugins are built
# for Qt 6 and Qt 5, the loader for GdkPixbuf; tapes and snapshots are read through libspectrum.
TOOL_PACKAGES := libpng-dev libjpeg62-turbo-dev libgif-dev qtbase5-dev libgdk-pixbuf-2.0-dev libspectrum-dev zlib1g-dev
TEST_PACKAGES := $(RUN_PACKAGES) $(TOOL_PACKAGES) libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool \
                 imagemagick x11-utils clang libclang-rt-14-dev valgrind desktop-file-utils appstream \
                 shared-mime-info libxml2-utils groff-base libgdk-pixbuf2.0-bin libglib2.0-bin xdg-utils \
                 python3-pil bash-completion pasmo sdcc fuse-emulator-utils libacl1-dev clang-format
# What `make package` needs besides: dpkg-shlibdeps, and `file`, with which
# CPack finds the programs to hand it.
PACKAGE_TOOLS := $(TOOL_PACKAGES) dpkg-dev file

RUN_BUILD  := build
BUILD      := build-test
ASAN_BUILD := build-asan
BENCH_BUILD := build-bench
FUZZ_BUILD := build-fuzz
SOAK_BUILD := build-soak
PACKAGE_BUILD := build-package
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := text_to_number_fuzzer file_names_fuzzer dropped_files_fuzzer picture_ops_fuzzer \
                scrtool_args_fuzzer png_in_fuzzer jpeg_in_fuzzer gif_in_fuzzer bmp_in_fuzzer pnm_in_fuzzer \
                screen_reader_fuzzer extract_fuzzer picture_modes_fuzzer
SOAK_EVENTS ?= 100000
JOBS       ?= $(shell nproc)
CTEST_ARGS ?= --output-on-failure -j $(JOBS)
# The plain test build; it builds the benchmarks too, and CTest runs each once.
TEST_CONFIG := -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCRLAB_TESTS=ON -DSCRLAB_WERROR=ON -DSCRLAB_BENCHMARKS=ON

.PHONY: all deps run-deps build run test format-check test-plain test-sanitized fuzz-smoke bench fuzz fuzz-build soak valgrind install package clean

all: build

# $(call install-missing,packages): installs those not yet installed and says which.
define install-missing
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing packages:$$missing"; \
	  if [ "$$(id -u)" = 0 ]; then SUDO=; else SUDO=sudo; fi; \
	  $$SUDO apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

run-deps:
	$(call install-missing,$(RUN_PACKAGES))

deps:
	$(call install-missing,$(TEST_PACKAGES))

# The program alone, without the test suites (which would need the test tools).
build: run-deps
	cmake -S . -B $(RUN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCRLAB_TESTS=OFF -DSCRLAB_SCRTOOL=OFF \
	      -DSCRLAB_IMAGE_READERS=OFF
	cmake --build $(RUN_BUILD) -j $(JOBS) --target scrlab

run: build
	./$(RUN_BUILD)/scrlab

test: deps
	$(MAKE) format-check
	$(MAKE) test-plain
	$(MAKE) test-sanitized
	$(MAKE) fuzz-smoke

# Every C++ file in the tree as .clang-format writes it.
format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

# $(call ctest-no-skips,build folder): runs CTest there and fails when a test
# skipped, which CTest counts as passed. CI runs as root, where every test can
# do what it tests: a skip there is a test that tested nothing.
define ctest-no-skips
	cd $(1) && ctest $(CTEST_ARGS) --output-junit ctest-results.xml
	@if grep -q '<skipped' $(1)/ctest-results.xml; then \
	  echo "Skipped, which counts as failed here:"; \
	  grep -B1 '<skipped' $(1)/ctest-results.xml | sed -n 's/.*<testcase name="\([^"]*\)".*/  \1/p'; \
	  exit 1; \
	fi
endef

test-plain:
	cmake -S . -B $(BUILD) $(TEST_CONFIG)
	cmake --build $(BUILD) -j $(JOBS)
	$(call ctest-no-skips,$(BUILD))

test-sanitized:
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSCRLAB_SANITIZE=ON -DSCRLAB_WERROR=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	$(call ctest-no-skips,$(ASAN_BUILD))

bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DSCRLAB_BENCHMARKS=ON -DSCRLAB_TESTS=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	@for b in $(BENCH_BUILD)/*/*_bench; do echo "== $$b"; QT_QPA_PLATFORM=$${QT_QPA_PLATFORM:-offscreen} $$b || exit 1; done

# libFuzzer targets (clang), each run for FUZZ_SECONDS; `make test` runs them
# for a few seconds so they keep building and keep passing.
fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCRLAB_FUZZ=ON -DSCRLAB_TESTS=OFF -DSCRLAB_WERROR=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)

fuzz: fuzz-build
	tools/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-smoke:
	$(MAKE) fuzz FUZZ_SECONDS=5

# The real program under SOAK_EVENTS pseudo-random user actions, twice with
# one seed (SOAK_SEED replays a run): built optimised with AddressSanitizer and
# UndefinedBehaviorSanitizer for memory faults and leaks, then plain for the
# resident memory figures, which the sanitizer's quarantine would blur. GCC 12
# gives false -Wrestrict and -Wmaybe-uninitialized warnings inside the standard
# library headers at -O2 with the sanitizers, so
# warnings stay warnings in the sanitized build.
ifndef SOAK_SEED
SOAK_SEED := $(shell od -An -N4 -tu4 /dev/urandom | tr -d ' ')
endif
soak: deps
	cmake -S . -B $(SOAK_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCRLAB_SANITIZE=ON -DSCRLAB_WERROR=OFF
	cmake --build $(SOAK_BUILD) -j $(JOBS) --target app_soak
	cmake -S . -B $(BUILD) $(TEST_CONFIG)
	cmake --build $(BUILD) -j $(JOBS) --target app_soak
	LSAN_OPTIONS=suppressions=$(CURDIR)/cmake/lsan.supp \
	  $(SOAK_BUILD)/apptests/soak/app_soak --events $(SOAK_EVENTS) --seed $(SOAK_SEED)
	$(BUILD)/apptests/soak/app_soak --events $(SOAK_EVENTS) --seed $(SOAK_SEED)

# One short session of the real program under valgrind memcheck, in Xvfb.
valgrind: deps build
	tools/valgrind_session.sh $(RUN_BUILD)/scrlab

# A Debian package of both programs and their desktop files, from a Release
# build without tests: $(PACKAGE_BUILD)/scrlab_<version>_<arch>.deb.
package: run-deps
	$(call install-missing,$(PACKAGE_TOOLS))
	cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release -DSCRLAB_TESTS=OFF
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	cd $(PACKAGE_BUILD) && cpack -G DEB

# Both programs and their desktop files, from the same Release build as the package.
install: run-deps
	$(call install-missing,$(TOOL_PACKAGES))
	cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release -DSCRLAB_TESTS=OFF
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	cmake --install $(PACKAGE_BUILD)

clean:
	rm -rf $(RUN_BUILD) $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(SOAK_BUILD) $(PACKAGE_BUILD)
