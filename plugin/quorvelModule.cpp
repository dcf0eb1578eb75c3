// The module quorvel.so / quorvel.dll has no code of its own: it is the core library taken
// whole, so that every exported function and class member defined there is kept. A build
// system needs one source file per library; this is it.
