# make        the plug-in at dist/vis_mirn.dll (installs what is missing)
# make test   every test: native rules, then the Windows programs under Wine
# make demo   the preview player showing the real plug-in
BUILD ?= build
NATIVE := $(BUILD)/native
WIN := $(BUILD)/win32
JOBS ?= 2

.PHONY: all deps configure dll test demo clean

all: dll

deps:
	@scripts/install-deps.sh

$(WIN)/CMakeCache.txt: | deps
	cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release

$(NATIVE)/CMakeCache.txt: | deps
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug

configure: $(WIN)/CMakeCache.txt $(NATIVE)/CMakeCache.txt

dll: deps $(WIN)/CMakeCache.txt
	cmake --build $(WIN) --target vis_mirn -j$(JOBS)
	mkdir -p dist && cp $(WIN)/bin/vis_mirn.dll dist/vis_mirn.dll

test: deps configure
	cmake --build $(NATIVE) -j$(JOBS)
	cmake --build $(WIN) --target vis_mirn -j$(JOBS)
	mkdir -p dist && cp $(WIN)/bin/vis_mirn.dll dist/vis_mirn.dll
	scripts/run-tests.sh $(BUILD)

clean:
	rm -rf $(BUILD) dist out

# ---- the main job, proof of quality and release ----
.PHONY: demo bench fuzz dist
demo: deps configure
	scripts/demo.sh $(BUILD)

bench: deps configure
	scripts/bench.sh $(BUILD)

fuzz: deps configure
	scripts/fuzz.sh $(BUILD) $(FUZZ_SECONDS)

dist: deps
	scripts/dist.sh
