# Set-up and everyday commands. `make demo`, `make install` and `make test`
# work on a fresh Debian machine: each installs what it needs first.
# `make demo` and `make install` build only the library and the program
# (build/korvan, build/libkorvan.so); `make test` builds the tests as well.
BUILD ?= build
JOBS ?= $(shell nproc)
EXAMPLE ?= examples/cantilever_sheet_pile.dat
PREFIX ?= /usr/local

.PHONY: deps deps-test build build-tests demo install test consumer-test test-sanitize golden-update bench fuzz clean python python-examples
FUZZ_SECONDS ?= 60

deps:
	@scripts/install-deps.sh

deps-test:
	@scripts/install-deps.sh test python browser

# The library and the command-line program only. A new build folder is
# configured without the tests; one that has them keeps them, so that
# `make demo` after `make test` rebuilds nothing.
build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  $(if $(wildcard $(BUILD)/CMakeCache.txt),,-DKORVAN_BUILD_TESTS=OFF)
	cmake --build $(BUILD) -j $(JOBS) --target korvan_cli korvan

# Everything, the tests and the Python package included.
build-tests: deps-test
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVAN_BUILD_TESTS=ON -DKORVAN_BUILD_PYTHON=ON
	cmake --build $(BUILD) -j $(JOBS)

# The Python package, ready to import from $(BUILD)/python
# (PYTHONPATH=$(BUILD)/python /usr/bin/python3); see docs/python.md.
python:
	@scripts/install-deps.sh python
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVAN_BUILD_PYTHON=ON \
	  $(if $(wildcard $(BUILD)/CMakeCache.txt),,-DKORVAN_BUILD_TESTS=OFF)
	cmake --build $(BUILD) -j $(JOBS) --target korvan_python

# The Python examples; their plots go to $(BUILD)/python-examples.
python-examples: python
	mkdir -p $(BUILD)/python-examples
	cd $(BUILD)/python-examples && for f in $(CURDIR)/examples/python/*.py; do \
	  PYTHONPATH=$(CURDIR)/$(BUILD)/python MPLBACKEND=Agg /usr/bin/python3 $$f || exit 1; done

# Puts bin/korvan, lib/libkorvan.so*, lib/libkorvan_core.a,
# include/korvan/*.h and the CMake package lib/cmake/korvan under PREFIX.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# Analyses the shipped example and shows its report.
demo: build
	mkdir -p $(BUILD)/demo
	$(BUILD)/korvan run $(EXAMPLE) -o $(BUILD)/demo; status=$$?; \
	  cat $(BUILD)/demo/$(basename $(notdir $(EXAMPLE))).out; \
	  echo "korvan exit status: $$status"

# Every test, the installed package's consumer build among them.
test: build-tests
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The installed package alone: install into a temporary prefix and build
# tests/consumer against it (also one of the tests of `make test`).
consumer-test: build
	scripts/consumer-test.sh $(BUILD)

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps-test
	cmake -S . -B $(BUILD)-sanitize -DCMAKE_BUILD_TYPE=Debug -DKORVAN_BUILD_TESTS=ON -DKORVAN_SANITIZE=ON -DKORVAN_BUILD_PYTHON=OFF
	cmake --build $(BUILD)-sanitize -j $(JOBS)
	cd $(BUILD)-sanitize && ctest --output-on-failure -j $(JOBS)

# Rewrites the expected golden files; review the change with `git diff`.
golden-update: build-tests
	cmake --build $(BUILD) --target golden-update

bench:
	@scripts/install-deps.sh bench
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DKORVAN_BUILD_BENCH=ON -DKORVAN_BUILD_TESTS=OFF
	cmake --build $(BUILD)-bench -j $(JOBS)
	$(BUILD)-bench/bench/korvan_bench

# Coverage-guided fuzzing of whole runs (clang, libFuzzer, ASan, UBSan),
# seeded with the examples and the golden inputs.
fuzz:
	@scripts/install-deps.sh fuzz
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVAN_BUILD_FUZZ=ON -DKORVAN_BUILD_TESTS=OFF
	cmake --build $(BUILD)-fuzz -j $(JOBS) --target korvan_fuzz
	mkdir -p $(BUILD)-fuzz/corpus
	cp examples/*.dat $(BUILD)-fuzz/corpus/
	for d in tests/golden/*/; do cp $$d/input.dat $(BUILD)-fuzz/corpus/golden-$$(basename $$d).dat; done
	$(BUILD)-fuzz/korvan_fuzz $(BUILD)-fuzz/corpus tests/fuzz -dict=fuzz/korvan.dict \
	  -max_total_time=$(FUZZ_SECONDS) -timeout=20 -rss_limit_mb=4096 -print_final_stats=1 \
	  -artifact_prefix=$(BUILD)-fuzz/

clean:
	rm -rf $(BUILD) $(BUILD)-sanitize $(BUILD)-bench $(BUILD)-fuzz
