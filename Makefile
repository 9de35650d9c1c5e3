# Leafcraft: set-up, build and test in one command each.
#   make test   installs what the build needs (Debian 12, apt-get), builds with
#               sanitizers and warnings as errors (in build/), and runs every test through CTest.
#   make run    builds an optimised build without sanitizers (in build-release/), builds the
#               sample book with it and starts the authoring program.
#   make install / make uninstall   install the release build under PREFIX (~/.local) and
#               register its modules and desktop entries, or remove all of it again.
#   make fuzz   builds the fuzz targets with clang and runs each one briefly.
#   make bench  builds and runs the benchmarks.

BUILD      ?= build
RELEASE_BUILD ?= build-release
PREFIX     ?= $(HOME)/.local
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
           libreoffice-writer-nogui \
           xvfb desktop-file-utils xdg-utils shared-mime-info libfile-mimeinfo-perl \
           epubcheck libxml2-utils python3-routes
# Only the benchmarks compare against these (calibre also reads the tests' e-books where
# it is installed).
BENCH_PACKAGES = libxml2-dev libgumbo-dev nettle-dev calibre

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
	rm -rf $(BUILD) $(RELEASE_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)

# The build for running and installing: optimised, no sanitizers, no test suites.
.PHONY: release
$(RELEASE_BUILD)/build.ninja:
	cmake -S . -B $(RELEASE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DLEAF_TESTS=OFF

release: deps $(RELEASE_BUILD)/build.ninja
	cmake --build $(RELEASE_BUILD) -j $(JOBS)

# make run  builds the sample book of examples/sample-book with build-release/bin/build-book
#           (an automation client of the build control) into build-release/sample-book.epub,
#           then starts the authoring program build-release/bin/leafstudio on this desktop.
#           Programs in a build find the modules registered in its registry folder by
#           themselves; the user's settings go to ~/.config/leafcraft/registry.
.PHONY: run
run: BUILD = $(RELEASE_BUILD)
run: release
	@rm -f $(BUILD)/sample-book.epub
	cd examples/sample-book && \
	  $(abspath $(BUILD))/bin/build-book \
	    --title "The Lamplighter of Fenwick Lane" --author "The Leafcraft Authors" --toc toc.html \
	    $(abspath $(BUILD))/sample-book.epub $$(grep -v '^#' book.list)
	@echo
	@echo "$(BUILD)/sample-book.epub is an EPUB 3 e-book: any e-book reader opens it."
	@echo "  read it:    xdg-open $(BUILD)/sample-book.epub   (the desktop's e-book reader)"
	@echo "  check it:   java -jar /usr/bin/epubcheck $(BUILD)/sample-book.epub"
	@echo
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  echo "No desktop here (DISPLAY and WAYLAND_DISPLAY are unset): the authoring program needs one."; \
	  echo "  start it on a desktop with:  $(BUILD)/bin/leafstudio"; \
	  echo "  or try it under a virtual display for 10 seconds (it then closes as its close box closes it):"; \
	  echo "    xvfb-run -a timeout --preserve-status 10 $(BUILD)/bin/leafstudio"; \
	else \
	  $(abspath $(BUILD))/bin/leafstudio; \
	fi

# make install  installs the release build: programs, modules and the program's files in
#               $(PREFIX)/lib/leafcraft, links to the programs in $(PREFIX)/bin, the desktop
#               entry, the project file type (application/x-leafcraft-project, *.lcp) and the
#               icons in $(PREFIX)/share; then registers the modules with regsvr into the
#               user's registry ($$LEAF_REGISTRY, else ~/.config/leafcraft/registry) and
#               brings the desktop's caches up to date.
# make uninstall  unregisters the modules and the project file type (leafstudio --unregister)
#               and removes all of it.
# INSTALL_FROM names the built tree to install (a test installs its own build).
INSTALL_FROM ?= $(RELEASE_BUILD)
LEAF_LIBDIR = $(PREFIX)/lib/leafcraft
# The modules that register themselves (the e-book compiler is loaded by its path).
REGISTERED_MODULES = leafsdk markupintake pictureintake plainintake wordintake FontEmbedder WordServer
INSTALLED_PROGRAMS = leafstudio build-book filter-options
INSTALLED_SHARE = applications/leafstudio.desktop mime/packages/leafcraft.xml \
                  icons/hicolor/scalable/apps/leafstudio.svg \
                  icons/hicolor/scalable/mimetypes/application-x-leafcraft-project.svg
USER_DATA = $${XDG_DATA_HOME:-$$HOME/.local/share}

.PHONY: install install-built uninstall
install: release
	@$(MAKE) --no-print-directory install-built

install-built:
	cmake --install $(INSTALL_FROM) --prefix "$(PREFIX)"
	@for module in $(REGISTERED_MODULES); do \
	  if [ -f "$(LEAF_LIBDIR)/$$module.so" ]; then \
	    "$(LEAF_LIBDIR)/regsvr" -s "$(LEAF_LIBDIR)/$$module.so" || exit 1; \
	    echo "-- Registered: $$module.so"; \
	  fi; \
	done
	@# The reading program's stand-in registers where the desktop has an EPUB application.
	@if [ -x "$(LEAF_LIBDIR)/reader/MSReader.exe" ]; then \
	  "$(LEAF_LIBDIR)/reader/MSReader.exe" --register || exit 1; \
	fi
	@$(MAKE) --no-print-directory refresh-desktop DATA="$(PREFIX)/share"
	@echo "Installed in $(PREFIX): run $(PREFIX)/bin/leafstudio, or open a .lcp project from the desktop."

uninstall:
	@if [ -x "$(LEAF_LIBDIR)/regsvr" ]; then \
	  for module in $(REGISTERED_MODULES); do \
	    if [ -f "$(LEAF_LIBDIR)/$$module.so" ]; then \
	      "$(LEAF_LIBDIR)/regsvr" -u -s "$(LEAF_LIBDIR)/$$module.so" && echo "-- Unregistered: $$module.so"; \
	    fi; \
	  done; \
	fi; true
	@if [ -x "$(LEAF_LIBDIR)/reader/MSReader.exe" ]; then "$(LEAF_LIBDIR)/reader/MSReader.exe" --unregister; fi; true
	@# The program registers the project type at each start, in the user's registry
	@# (.lcp, Leafcraft.Document) and data folder; it takes back what names this installation.
	@if [ -x "$(LEAF_LIBDIR)/leafstudio" ]; then \
	  "$(LEAF_LIBDIR)/leafstudio" --unregister && echo "-- Unregistered: the project file type"; \
	fi; true
	rm -rf "$(LEAF_LIBDIR)"
	cd "$(PREFIX)" 2>/dev/null && rm -f $(addprefix bin/,$(INSTALLED_PROGRAMS)) $(addprefix share/,$(INSTALLED_SHARE)) || true
	@$(MAKE) --no-print-directory refresh-desktop DATA="$(USER_DATA)"
	@$(MAKE) --no-print-directory refresh-desktop DATA="$(PREFIX)/share"
	@cd "$(PREFIX)" 2>/dev/null && for folder in share/icons/hicolor/scalable/apps share/icons/hicolor/scalable/mimetypes \
	    share/icons/hicolor/scalable share/icons/hicolor share/icons share/applications share/mime share lib bin; do \
	  rmdir "$$folder" 2>/dev/null; \
	done; true

# Brings the MIME database and the desktop entries' cache of the data folder DATA up to
# date; where no MIME package or desktop entry is left, the caches built from them go.
.PHONY: refresh-desktop
refresh-desktop:
	@if [ -d "$(DATA)/mime" ]; then \
	  if rmdir "$(DATA)/mime/packages" 2>/dev/null; then \
	    rm -rf "$(DATA)/mime"; \
	  elif command -v update-mime-database >/dev/null; then \
	    update-mime-database "$(DATA)/mime"; \
	  fi; \
	fi
	@if [ -d "$(DATA)/applications" ]; then \
	  if [ -z "$$(ls "$(DATA)/applications" | grep -v '^mimeinfo.cache$$')" ]; then \
	    rm -f "$(DATA)/applications/mimeinfo.cache"; rmdir "$(DATA)/applications"; \
	  elif command -v update-desktop-database >/dev/null; then \
	    update-desktop-database "$(DATA)/applications"; \
	  fi; \
	fi
