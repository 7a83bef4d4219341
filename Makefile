# make        build everything into build/
# make run    build the window program alone, then start it in build/run/
#             (it finds font.bmp in the source tree's data/)
# make test   build, then run every test (on a virtual display of its own)
# make check  what CI runs: make test, then the tests of a build under
#             AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/)
#             and of one under ThreadSanitizer (build-tsan/); any sanitizer
#             report fails it
# make install PREFIX=/usr/local   build both programs, then install them
#             with their data, man pages, desktop entry and icon (DESTDIR
#             is honoured)
# make deb    build the Debian package cavel_VERSION_ARCH.deb in build-deb/

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local

.PHONY: all run test check check-asan check-tsan install deb deps deb-deps test-deps configure clean

all: deps configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

deps:
	@sh tools/install-deps.sh

deb-deps:
	@sh tools/install-deps.sh deb

test-deps:
	@sh tools/install-deps.sh test

configure:
	@test -f $(BUILD_DIR)/CMakeCache.txt || cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

run: deps configure
	cmake --build $(BUILD_DIR) --target cavel -j $(JOBS)
	mkdir -p $(BUILD_DIR)/run
	cd $(BUILD_DIR)/run && $(abspath $(BUILD_DIR))/cavel

# Configured again: a build made before the test packages were there lacks
# the tests.
test: test-deps configure
	@cmake -S . -B $(BUILD_DIR) >/dev/null
	cmake --build $(BUILD_DIR) -j $(JOBS)
	xvfb-run -a -s "-screen 0 1024x768x24 -noreset" ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# One after the other, whatever -j says: each takes both cores.
check:
	$(MAKE) test
	$(MAKE) check-asan
	$(MAKE) check-tsan

# The sanitized builds: the tests and both programs, lightly optimised, the
# search too (see CMakeLists.txt), and with their assertions.
check-asan: SANITIZER = address
check-tsan: SANITIZER = thread
check-asan check-tsan: check-%: test-deps
	@cmake -S . -B build-$* -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" -DCAVEL_SANITIZE=$(SANITIZER) >/dev/null
	cmake --build build-$* -j $(JOBS)
	sh tests/sanitizers/run-tests.sh build-$* $(JOBS)

install: deps configure
	cmake --build $(BUILD_DIR) --target cavel cavel-solve -j $(JOBS)
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# A build of its own, for the package's layout: the programs in /usr/games,
# their data in /usr/share/games/cavel, stripped, Release, with Debian's
# hardening flags.
DEB_DIR ?= build-deb
deb: deb-deps
	cmake -S . -B $(DEB_DIR) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS) -Wl,-z,now" \
	  -DCMAKE_INSTALL_PREFIX=/usr -DCAVEL_DEB=ON \
	  -DCAVEL_INSTALL_BINDIR=games -DCAVEL_INSTALL_DATADIR=share/games/cavel
	cmake --build $(DEB_DIR) --target cavel cavel-solve debianfiles -j $(JOBS)
	cd $(DEB_DIR) && cpack -G DEB
	@ls $(DEB_DIR)/cavel_*.deb

clean:
	rm -rf $(BUILD_DIR) build-asan build-tsan $(DEB_DIR)
