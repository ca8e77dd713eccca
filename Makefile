# The two commands the README promises: `make demo` and `make test`.
JOBS ?= 2
CMAKE_FLAGS ?=
FUZZ_SECONDS ?= 20
ENDURANCE_SEEDS ?= 300

.PHONY: all deps build test test-asan test-tsan fuzz demo bench endurance format clean

all: build

deps:
	@bash scripts/install-deps.sh

build/CMakeCache.txt: | deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: deps build/CMakeCache.txt
	cmake --build build -j $(JOBS)

test: build
	cd build && ctest --output-on-failure -j $(JOBS)

build-asan/CMakeCache.txt: | deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTAVSO_SANITIZE=address -DTAVSO_BUILD_BENCH=OFF $(CMAKE_FLAGS)

test-asan: deps build-asan/CMakeCache.txt
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

build-tsan/CMakeCache.txt: | deps
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DTAVSO_SANITIZE=thread -DTAVSO_BUILD_BENCH=OFF $(CMAKE_FLAGS)

test-tsan: deps build-tsan/CMakeCache.txt
	cmake --build build-tsan -j $(JOBS)
	cd build-tsan && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest --output-on-failure -L threaded -j $(JOBS)

build-fuzz/CMakeCache.txt: | deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DTAVSO_BUILD_TESTS=OFF \
	  -DTAVSO_BUILD_BENCH=OFF -DTAVSO_BUILD_FUZZ=ON \
	  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" $(CMAKE_FLAGS)

fuzz: deps build-fuzz/CMakeCache.txt
	cmake --build build-fuzz -j $(JOBS) --target fuzz_all
	bash scripts/run-fuzz.sh build-fuzz $(FUZZ_SECONDS)

demo: build
	./build/host/tavso-host demo

endurance: deps build/CMakeCache.txt
	cmake --build build -j $(JOBS) --target endurance tavso_huawei
	./build/tests/endurance/endurance --seed=1 --count=$(ENDURANCE_SEEDS) --arrays=6 --volumes=12 --jobs=3 \
	  --load=full --watchdog=1800

bench: build
	@for b in build/bench/*; do [ -x "$$b" ] && [ -f "$$b" ] && "$$b"; done

format:
	find platform api cli rest nas sim host tests bench fuzz -name '*.cpp' -o -name '*.h' | xargs -r clang-format -i

clean:
	rm -rf build build-asan build-tsan build-fuzz
