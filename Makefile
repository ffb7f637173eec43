# Front door over CMake: `make test` and `make demo` are all a newcomer types.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=
PREFIX ?= /usr/local

.PHONY: all configure build test bench demo install package windows windows-package test-asan \
  memcheck fuzz fuzz-smoke fuzz-explore clean lab-deps fidelity

all: build

configure: lab-deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

# kavlab needs two header-only libraries (Debian packages below): run as root, the build installs
# those missing with apt-get, as CI does; otherwise CMake says that kavlab is not built.
LAB_PACKAGES = nlohmann-json3-dev:/usr/include/nlohmann/json.hpp libcli11-dev:/usr/include/CLI/CLI.hpp
lab-deps:
	@missing=; for p in $(LAB_PACKAGES); do [ -f "$${p#*:}" ] || missing="$$missing $${p%%:*}"; done; \
	if [ -n "$$missing" ] && [ "$$(id -u)" = 0 ] && command -v apt-get >/dev/null; then \
	  echo "kavlab needs$$missing: installing with apt-get"; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	elif [ -n "$$missing" ]; then \
	  echo "kavlab needs$$missing (install as root: apt-get install$$missing); building without it"; \
	fi

build: configure
	cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# The switch-level engine against the analog engine over the whole chip: the fidelity table of
# docs/chip-model.md must be what the engines compute now (`make test` checks one circuit). It
# needs the analog engine, that is ngspice's shared library (apt-get install libngspice0-dev).
FIDELITY_REPORT = $(BUILD)/src/emulator/fidelity_report
fidelity: build
	@[ -x $(FIDELITY_REPORT) ] || { echo "make fidelity needs the analog engine: install \
	libngspice0-dev (and ngspice) and build again"; exit 1; }
	$(FIDELITY_REPORT) --check docs/chip-model.md

# Benchmarks run one at a time, after the build, so that they do not share the cores.
bench: build
	cmake --build $(BUILD) --target run-benchmarks -j1

# The main job on the emulated box: the defect table of C17 with shorts. Only the emulated
# tool is built for it. The example stays as it is; the result goes to the build directory, and
# the demo ends with a summary read from the written file: its fault summary (one character per
# defect, X for not detected) and its coverage line.
DEMO_RESULT = $(BUILD)/demo-c17-shorts.tst
demo: configure
	cmake --build $(BUILD) --target kavtest-sim -j$(JOBS)
	$(BUILD)/kavtest-sim -all_defects -circuit 16 -tst $(DEMO_RESULT) examples/16-C17-shorts.tst
	@echo
	@echo "Defect table written to $(DEMO_RESULT)"
	@awk '/^\./ { section = $$1; next } \
	  section == ".FAULTS" && NF { defects = length($$1); missed = gsub(/X/, "", $$1) } \
	  section == ".COVERAGE" && NF { coverage = $$0 } \
	  END { if (defects == 0 || coverage == "") { print "no fault summary in " FILENAME; exit 1 } \
	        printf "%d of %d defects detected; coverage %s\n", defects - missed, defects, coverage; \
	        print "(each defect counts as two faults: 50 % is every defect detected)" }' \
	  $(DEMO_RESULT)

# Installs into $(PREFIX) (set DESTDIR to stage it elsewhere).
install:
	cmake -S . -B $(BUILD) -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS)
	cmake --install $(BUILD)

# Debian package of the tool, written into $(BUILD).
package: build
	cmake --build $(BUILD) --target package

# Windows: cross-built with MinGW-w64 into $(WINDOWS_BUILD), its tests run under Wine (packages
# g++-mingw-w64-x86-64 and wine64). The end-to-end runners fork and exec: the host build's
# runners drive the Windows binaries, and the package's test compares the Windows programs'
# output with the Linux build's kavtest-sim and kavlab-sim. The package's manual pages are
# rendered with mandoc; its installer needs makensis (package nsis).
WINDOWS_BUILD ?= build-windows
windows: configure
	cmake --build $(BUILD) --target e2e_test stuck_at_runs_test kavtest-sim \
	  $$([ -f /usr/include/nlohmann/json.hpp ] && [ -f /usr/include/CLI/CLI.hpp ] && \
	     echo lab_runs_test bad_files_runs_test kavlab-sim) \
	  -j$(JOBS)
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake \
	  -DKAVTEST_HOST_TEST_DIR=$(abspath $(BUILD))/tests
	cmake --build $(WINDOWS_BUILD) -j$(JOBS)
	cd $(WINDOWS_BUILD) && ctest --output-on-failure -j$(JOBS)

# The Windows package, after the Windows build and its tests: CPack writes the ZIP archive
# kavtest-<version>-win64.zip into $(WINDOWS_BUILD)/, and the installer kavtest-<version>-win64.exe
# beside it where makensis is installed. Stripping a program writes a time into its header: the
# time of the last commit (SOURCE_DATE_EPOCH, unless set), so that both hold the same programs.
windows-package: windows
	rm -f $(WINDOWS_BUILD)/kavtest-*-win64.zip $(WINDOWS_BUILD)/kavtest-*-win64.exe
	cd $(WINDOWS_BUILD) && \
	  SOURCE_DATE_EPOCH=$${SOURCE_DATE_EPOCH:-$$(git log -1 --format=%ct 2>/dev/null || date +%s)} cpack
	@if ! command -v makensis >/dev/null; then \
	  echo "No installer: makensis is missing (apt-get install nsis); the ZIP archive alone"; fi
	@ls -l $(WINDOWS_BUILD)/kavtest-*-win64.*

# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer: the first
# finding ends the program that made it, and so fails its test.
ASAN_BUILD ?= build-asan
SANITIZE = -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
test-asan:
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE)"
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j$(JOBS)

# The end-to-end cases with every run of the tool under valgrind's memcheck: a memory error, or
# a byte definitely or indirectly lost, makes the run end with status 99 and so fails its case.
MEMCHECK = valgrind -q --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect \
  --errors-for-leak-kinds=definite,indirect --track-origins=yes
memcheck: build
	cmake --build $(BUILD) --target e2e_test stuck_at_runs_test -j$(JOBS)
	cd $(BUILD) && KAVTEST_E2E_LAUNCHER="$(MEMCHECK)" ctest --output-on-failure -j$(JOBS) \
	  -R '^(e2e_test|stuck_at_runs_test)$$'

# Fuzz targets (fuzz/): clang++ with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer
# (packages clang and libclang-rt-14-dev), built into $(FUZZ_BUILD). Both runs below take the
# targets one after the other, each on a copy of its seed corpus (the committed one stays as it
# is), and fail on the first crash, leak, time-out or memory blow-up; the input that did it goes
# to $(FUZZ_BUILD)/artifacts/<target>/. Paths are absolute: a target may change its working
# directory.
#
# fuzz-smoke, run by CI, finds the same every time, so that it fails only when a change alters
# what the targets find: each target runs FUZZ_RUNS inputs from the seed FUZZ_SEED, one process,
# with no timed reload of its corpus (-reload=0) and without comparison operands as mutation
# input (-use_cmp=0: they hold addresses, which move from run to run); the build leaves out the
# stack-depth feature for the same reason, and the targets run with the address space laid out
# the same every time where the system lets them (setarch -R): code that compares addresses
# (the standard library's check whether two strings overlap) would otherwise cover other
# branches from run to run. Its summary, one line a target, goes to
# $(FUZZ_BUILD)/fuzz-smoke.txt for comparing two runs.
#
# fuzz-explore is open-ended fuzzing: each target for FUZZ_TIME seconds from a random seed (in
# its log, $(FUZZ_BUILD)/logs/<target>.log), comparison operands and corpus reload on. What it
# finds goes into fuzz/corpus/<target>/ with a regression test.
FUZZ_BUILD ?= build-fuzz
# kavlab's readers where kavlab is built (its two header-only libraries, above).
FUZZ_LAB_TARGETS = $(if $(wildcard /usr/include/nlohmann/json.hpp),$(if \
  $(wildcard /usr/include/CLI/CLI.hpp),results_reader import_tst))
FUZZ_TARGETS = tst_reader agm_reader vector_reader options box $(FUZZ_LAB_TARGETS)
FUZZ_RUNS ?= 300000
FUZZ_SEED ?= 1
FUZZ_TIME ?= 600
FUZZ_SMOKE_FLAGS = -runs=$(FUZZ_RUNS) -seed=$(FUZZ_SEED) -reload=0 -use_cmp=0
FUZZ_EXPLORE_FLAGS = -max_total_time=$(FUZZ_TIME)
FUZZ_DIR = $(abspath $(FUZZ_BUILD))
fuzz:
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DKAVTEST_FUZZ=ON -DBUILD_TESTING=OFF
	cmake --build $(FUZZ_BUILD) --target fuzzers -j$(JOBS)

# run_fuzzers(<flags>, <summary file>): every target with <flags>; a line a target in <summary
# file>: its last status line without speed and memory, and the inputs it added.
define run_fuzzers
	@rm -f $(2)
	@fixed=; if setarch $$(uname -m) -R true 2>/dev/null; then fixed="setarch $$(uname -m) -R"; fi; \
	for t in $(FUZZ_TARGETS); do \
	  corpus=$(FUZZ_DIR)/corpus/$$t; artifacts=$(FUZZ_DIR)/artifacts/$$t/; \
	  log=$(FUZZ_DIR)/logs/$$t.log; \
	  rm -rf $$corpus; mkdir -p $$corpus $$artifacts $(FUZZ_DIR)/logs; cp fuzz/corpus/$$t/* $$corpus/; \
	  dict=; if [ -f fuzz/$$t.dict ]; then dict=-dict=$(CURDIR)/fuzz/$$t.dict; fi; \
	  echo "== $$t: $(1)"; start=$$(date +%s); \
	  $$fixed $(FUZZ_DIR)/fuzz/$${t}_fuzz $$dict $(1) -timeout=10 -close_fd_mask=3 -print_final_stats=1 \
	    -artifact_prefix=$$artifacts $$corpus >$$log 2>&1; status=$$?; \
	  line="$$t: $$(sed -n 's/ exec\/s:.*//p' $$log | tail -n 1 | tr -s ' \t' ' ')"; \
	  line="$$line, $$(sed -n 's/^stat::new_units_added: *//p' $$log) new units"; \
	  echo "$$line" | tee -a $(2); echo "   $$(( $$(date +%s) - start )) s, log $$log"; \
	  if [ $$status -ne 0 ]; then \
	    tail -n 60 $$log; echo "fuzz: $$t failed, see $$artifacts"; exit 1; fi; \
	done
endef

fuzz-smoke: fuzz
	$(call run_fuzzers,$(FUZZ_SMOKE_FLAGS),$(FUZZ_DIR)/fuzz-smoke.txt)

fuzz-explore: fuzz
	$(call run_fuzzers,$(FUZZ_EXPLORE_FLAGS),$(FUZZ_DIR)/fuzz-explore.txt)

clean:
	rm -rf $(BUILD) $(WINDOWS_BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
