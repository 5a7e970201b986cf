// A host file that writes `using namespace std;` and uses both lists, qualified.
#include <list>

#include "KROBaseUnknown.h"
#include "KROList.h"

using namespace std;

int KROConsumerBothLists() {
  std::list<int> numbers{1, 2, 3};
  ::list<KROBaseUnknown> objects;
  objects.Append(nullptr);
  return static_cast<int>(numbers.size()) + objects.Size();
}
