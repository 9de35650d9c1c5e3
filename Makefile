# Leafcraft: set-up, build and test in one command each.
#   make test   installs what the build needs (Debian 12, apt-get), builds with
#               sanitizers and warnings as errors, and runs every test through CTest.
#   make fuzz   builds the fuzz targets with clang and runs each one briefly.
#   make bench  builds and runs the benchmarks.

BUILD      ?= build
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-bench
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 15

# Debian packages the build and the tests need (LibreOffice converts Word documents for the
# Word stand-in).
PACKAGES = build-essential cmake ninja-build pkg-config python3 \
           libgtest-dev libgmock-dev libbenchmark-dev \
           clang libclang-rt-14-dev \
           qt6-base-dev libfontconfig-dev fonts-dejavu-core libzip-dev zip unzip \
           libreoffice-writer-nogui
# Only the benchmarks compare against these.
BENCH_PACKAGES = libxml2-dev libgumbo-dev nettle-dev

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps bench-deps install-packages configure build test fuzz bench clean

all: build

deps:
	@$(MAKE) --no-print-directory install-packages LIST="$(PACKAGES)"

bench-deps: deps
	@$(MAKE) --no-print-directory install-packages LIST="$(BENCH_PACKAGES)"

install-packages:
	@missing=""; for p in $(LIST); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLEAF_SANITIZE=ON -DLEAF_WERROR=ON

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS) --timeout 300

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DLEAF_FUZZ=ON -DLEAF_TESTS=OFF -DLEAF_SANITIZE=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz-all
	tests/fuzz/run-all $(FUZZ_BUILD)/bin $(FUZZ_SECONDS)

bench: bench-deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DLEAF_BENCH=ON -DLEAF_TESTS=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	bench/run-all $(BENCH_BUILD)

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)

# make run  builds the sample book of examples/sample-book with build/bin/build-book (an
#           automation client of the build control) into $(BUILD)/sample-book.lit, then starts
#           the authoring program build/bin/leafstudio on this desktop.
.PHONY: run
run: build
	@rm -f $(BUILD)/sample-book.lit
	cd examples/sample-book && \
	  ASAN_OPTIONS=detect_leaks=0 LEAF_REGISTRY=$(abspath $(BUILD))/registry $(abspath $(BUILD))/bin/build-book \
	    --title "The Lamplighter of Fenwick Lane" --author "The Leafcraft Authors" --toc toc.html \
	    $(abspath $(BUILD))/sample-book.lit $$(grep -v '^#' book.list)
	@echo
	@echo "$(BUILD)/sample-book.lit is a ZIP archive holding the package file (.opf) and the book's items."
	@echo "  list it:    unzip -l $(BUILD)/sample-book.lit"
	@echo "  unpack it:  unzip -o $(BUILD)/sample-book.lit -d $(BUILD)/sample-book"
	@echo
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  echo "No desktop here (DISPLAY and WAYLAND_DISPLAY are unset): the authoring program needs one."; \
	  echo "  start it on a desktop with:  LEAF_REGISTRY=$(BUILD)/registry $(BUILD)/bin/leafstudio"; \
	  echo "  or under a virtual display:  xvfb-run env LEAF_REGISTRY=$(BUILD)/registry $(BUILD)/bin/leafstudio"; \
	else \
	  ASAN_OPTIONS=detect_leaks=0 LEAF_REGISTRY=$(abspath $(BUILD))/registry $(abspath $(BUILD))/bin/leafstudio; \
	fi
