#include "app/ThrumwiseApp.h"

int main(int argc, char** argv) {
    return thrumwise::ThrumwiseApp::run(argc, argv);
}
