"""Reads the repository's Android.bp files the way the vendor tree does, far enough for the checks:
modules with their properties (defaults applied), variables, the '+' operator, ':filegroup'
references and globs in srcs. Anything it does not understand stops the check rather than being
skipped, so a new construct cannot make a check pass by going unseen."""

import glob
import json
import os
import re
import subprocess

TOKEN = re.compile(r'\s+|//[^\n]*|/\*.*?\*/|"(?:[^"\\]|\\.)*"|`[^`]*`|[A-Za-z_][A-Za-z0-9_]*'
                   r'|-?[0-9]+|\+=|[{}()\[\]:,=+]', re.S)


class BlueprintError(Exception):
    pass


def tokens(text, path):
    """The words of the file, each with its line."""
    pos, out = 0, []
    while pos < len(text):
        match = TOKEN.match(text, pos)
        line = text.count("\n", 0, pos) + 1
        if not match:
            raise BlueprintError(f"{path}:{line}: cannot read {text[pos:pos + 20]!r}")
        word = match.group()
        if not (word.isspace() or word.startswith("//") or word.startswith("/*")):
            out.append((word, line))
        pos = match.end()
    return out


class Parser:
    def __init__(self, text, path):
        self.words, self.at, self.path, self.variables = tokens(text, path), 0, path, {}

    def peek(self):
        return self.words[self.at][0] if self.at < len(self.words) else None

    def fail(self, message):
        line = self.words[min(self.at, len(self.words) - 1)][1] if self.words else 1
        raise BlueprintError(f"{self.path}:{line}: {message}")

    def take(self, expected=None):
        word = self.peek()
        if word is None or (expected is not None and word != expected):
            self.fail(f"expected {expected or 'more'}, found {word!r}")
        self.at += 1
        return word

    def value(self):
        result = self.operand()
        while self.peek() == "+":
            self.take()
            right = self.operand()
            if type(result) is not type(right) or isinstance(result, bool):
                self.fail(f"'+' of {result!r} and {right!r}")
            result = {**result, **right} if isinstance(result, dict) else result + right
        return result

    def operand(self):
        word = self.take()
        if word == "[":
            return self.sequence("]", self.value)
        if word == "{":
            return dict(self.sequence("}", lambda: self.prop(":")))
        if word[0] == '"':
            return json.loads(word)
        if word[0] == "`":
            return word[1:-1]
        if word in ("true", "false"):
            return word == "true"
        if re.fullmatch(r"-?[0-9]+", word):
            return int(word)
        if word in self.variables:
            return self.variables[word]
        self.fail(f"unknown value {word!r}")

    def sequence(self, close, item):
        items = []
        while self.peek() != close:
            items.append(item())
            if self.peek() != close:
                self.take(",")
        self.take(close)
        return items

    def prop(self, separator):
        name = self.take()
        self.take(separator)
        return name, self.value()

    def modules(self):
        found = []
        while self.peek() is not None:
            name = self.take()
            if self.peek() in ("=", "+="):
                operator = self.take()
                value = self.value()
                self.variables[name] = (self.variables[name] + value if operator == "+=" else value)
            else:
                close = {"{": "}", "(": ")"}.get(self.take())
                if close is None:
                    self.fail(f"module {name} has no body")
                props = dict(self.sequence(close, lambda: self.prop(":" if close == "}" else "=")))
                found.append(Module(name, props, os.path.dirname(self.path)))
        return found


class Module:
    def __init__(self, kind, props, directory):
        # raw: as written; props: with its defaults and the set's variant applied.
        self.kind, self.raw, self.props, self.dir = kind, props, props, directory
        self.name = props.get("name")

    def get(self, key, default=None):
        return self.props.get(key, default)

    def is_host_only(self):
        return self.kind.endswith("_host")

    def is_for_device(self):
        if self.is_host_only() or self.kind.endswith("_defaults"):
            return False
        return bool(self.get("vendor") or self.get("vendor_available"))


def merged(base, extra):
    """Properties of a module with one of its defaults (or arch/target block) folded in: lists
    are joined, the module's own scalars win, nested blocks merge."""
    out = dict(base)
    for key, value in extra.items():
        if key not in out:
            out[key] = value
        elif isinstance(value, list):
            out[key] = value + out[key]
        elif isinstance(value, dict):
            out[key] = merged(out[key], value)
    return out


class Tree:
    def __init__(self, root):
        self.root = root
        listed = subprocess.run(["git", "ls-files", "*Android.bp"], cwd=root, check=True,
                                capture_output=True, text=True).stdout.split()
        self.modules = {}
        for path in listed:
            with open(os.path.join(root, path)) as handle:
                for module in Parser(handle.read(), path).modules():
                    if module.name in self.modules:
                        raise BlueprintError(f"{path}: module {module.name} defined twice")
                    self.modules[module.name] = module
        for module in self.modules.values():
            props = dict(self.with_defaults(module.raw))
            # Only the set's variant: 32-bit ARM, Android, the vendor partition.
            blocks = {"target": ("android", "vendor"), "arch": ("arm",)}
            for block, variants in blocks.items():
                per_variant = props.pop(block, {})
                for variant in variants:
                    props = merged(props, per_variant.get(variant, {}))
            module.props = props

    def with_defaults(self, props):
        for name in props.get("defaults", []):
            if name not in self.modules:
                raise BlueprintError(f"defaults {name} is not defined")
            props = merged(props, self.with_defaults(self.modules[name].raw))
        return props

    def ours(self, name):
        return self.modules.get(name)

    def static_deps(self, module):
        """Our modules that are linked into this one, directly or through other static ones."""
        found = []
        for name in module.get("whole_static_libs", []) + module.get("static_libs", []):
            dep = self.ours(name)
            if dep is not None and dep not in found:
                found += [dep] + [d for d in self.static_deps(dep) if d not in found]
        return found

    def device_modules(self):
        """Every module the set's build compiles, libraries reached through the binaries too."""
        found = []
        for module in self.modules.values():
            if module.is_for_device():
                for each in [module] + self.static_deps(module):
                    if each not in found:
                        found.append(each)
        return found

    def sources(self, module):
        """The module's sources, as paths from the repository's top, ':filegroup' resolved."""
        found = []
        excluded = set(self.expand(module, module.get("exclude_srcs", [])))
        for path in self.expand(module, module.get("srcs", [])):
            if path not in excluded and path not in found:
                found.append(path)
        return found

    def expand(self, module, entries):
        found = []
        for entry in entries:
            if entry.startswith(":"):
                group = self.ours(entry[1:])
                if group is None or group.kind != "filegroup":
                    raise BlueprintError(f"{module.name}: {entry} is no filegroup of ours")
                found += self.sources(group)
            elif any(c in entry for c in "*?["):
                matches = glob.glob(entry, root_dir=os.path.join(self.root, module.dir),
                                    recursive=True)
                found += sorted(os.path.normpath(os.path.join(module.dir, m)) for m in matches)
            else:
                found.append(os.path.normpath(os.path.join(module.dir, entry)))
        return found
