#include "support/GuiFixture.h"
