hello
