# Front door: `make run` and `make test` do all set-up on a fresh machine.
BUILD      ?= build
GENERATOR  ?= Ninja
JOBS       ?= $(shell nproc)
EXAMPLE    ?= examples/two_step_pathway.krm

.PHONY: deps configure build programs run screenshot test bench bench-compare bench-sweeps asan tsan fuzz format clean

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Only the programs `run` starts: tests and benchmarks are left for `make test`.
programs: configure
	cmake --build $(BUILD) -j $(JOBS) --target kora-batch $(if $(wildcard src/app),kora)

# The desktop application when a display is there, the batch tool otherwise.
# A failing example fails the target.
run: programs
	@if [ -x $(BUILD)/src/app/kora ] && [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  $(BUILD)/src/app/kora $(EXAMPLE); \
	else \
	  $(BUILD)/src/cli/kora-batch check $(EXAMPLE) && \
	  $(BUILD)/src/cli/kora-batch run $(EXAMPLE); \
	fi

# Retakes the README's picture of the workbench under a private X server.
screenshot: programs
	bash scripts/screenshot.sh $(BUILD)/src/app/kora docs/workbench.png

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && [ -f "$$b" ] && { echo "== $$b"; $$b; }; done

# KORA's solvers beside SUNDIALS CVODE and scipy's odeint; prints a table.
bench-compare: build
	$(BUILD)/bench/compare/bench_compare $(or $(BUDGET),2)
	/usr/bin/python3 bench/compare/sweep_compare.py $(BUILD)/src/cli/kora-batch

# The sweep comparison alone (1 and 2 threads beside scipy's odeint loop).
bench-sweeps: build
	/usr/bin/python3 bench/compare/sweep_compare.py $(BUILD)/src/cli/kora-batch $(or $(REPEATS),5)

asan: deps
	cmake -S . -B build-asan -G $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug \
	  -DKORA_SANITIZE="address;undefined" -DKORA_BUILD_BENCH=OFF
	cmake --build build-asan -j $(JOBS)
	cd build-asan && LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  ctest --output-on-failure -j $(JOBS)

tsan: deps
	cmake -S . -B build-tsan -G $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug \
	  -DKORA_SANITIZE=thread -DKORA_BUILD_BENCH=OFF
	cmake --build build-tsan -j $(JOBS) --target test_solve test_script test_cli kora-batch
	build-tsan/tests/test_solve
	build-tsan/tests/test_script
	QT_QPA_PLATFORM=offscreen build-tsan/tests/test_cli

# Coverage-guided fuzzing of every reader: FUZZ_SECONDS per target (default 60).
fuzz:
	bash scripts/fuzz.sh $(or $(FUZZ_SECONDS),60)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) build-asan build-tsan build-fuzz
