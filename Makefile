# Front end for the two set-up commands of README.md.
#   make run   installs the packages, builds and starts the recorder on the demo configuration
#   make test  installs the packages, builds and runs every test
.PHONY: run test packages build

PRESET ?= default
BUILD_DIR := build
RUN_DIR := run

packages:
	bash scripts/install-packages.sh

build: packages
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET)

test: build
	ctest --preset $(PRESET)

# The demo runs in its own working directory, which holds its settings, log and recordings.
run: build
	mkdir -p $(RUN_DIR)
	cp resources/demo/settings.mrd $(RUN_DIR)/settings.mrd
	cp resources/demo/mirdal.drv $(RUN_DIR)/mirdal.drv
	rm -rf $(RUN_DIR)/html && cp -r resources/html $(RUN_DIR)/html
	cd $(RUN_DIR) && if [ -n "$$DISPLAY" ]; then exec ../$(BUILD_DIR)/app/mirdal; \
	else exec ../$(BUILD_DIR)/app/mirdal --headless; fi
