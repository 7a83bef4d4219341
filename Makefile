# make        build everything into build/
# make run    build, then start the program from data/ (where font.bmp lives)
# make test   build, then run every test (on a virtual display of its own)

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all run test deps test-deps configure clean

all: deps configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

deps:
	@sh tools/install-deps.sh

test-deps:
	@sh tools/install-deps.sh test

configure:
	@test -f $(BUILD_DIR)/CMakeCache.txt || cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

run: all
	cd data && ../$(BUILD_DIR)/cavel

test: test-deps all
	xvfb-run -a -s "-screen 0 1024x768x24 -noreset" ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR)
