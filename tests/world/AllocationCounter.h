#pragma once

namespace OrbivaneTest {

// Number of global operator new calls made by this test process so far.
long allocationCount();

}
