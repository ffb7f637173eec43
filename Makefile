# Front door over CMake: `make test` and `make demo` are all a newcomer types.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: all configure build test bench demo clean

all: build

configure:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# Benchmarks run one at a time, after the build, so that they do not share the cores.
bench: build
	cmake --build $(BUILD) --target run-benchmarks -j1

demo: build
	$(BUILD)/kavtest -list

clean:
	rm -rf $(BUILD)
