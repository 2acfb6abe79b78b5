# Stand-ins for the AOSP policy macros that key_daemon/sepolicy uses, so that m4 and checkpolicy
# can check the policy without a vendor tree. Each says what the real one does; none grants more.

# The permission sets on files (the real ones, in global_macros, hold the same kind of lists).
define(`r_file_perms', `{ getattr open read ioctl lock map watch watch_reads }')
define(`w_file_perms', `{ open append write lock map }')
define(`rw_file_perms', `{ r_file_perms w_file_perms }')

# domain_auto_trans(olddomain, type, newdomain): the real one lets olddomain execute files of type
# and enter newdomain by it (domain_trans), and makes that the automatic result of the exec.
define(`domain_auto_trans', `
allow $1 $2:file { getattr open read execute map };
allow $1 $3:process transition;
allow $3 $2:file { entrypoint open read execute getattr map };
allow $3 $1:process sigchld;
type_transition $1 $2:process $3;')

# init_daemon_domain(domain): the real one has init start files of domain_exec in domain.
define(`init_daemon_domain', `domain_auto_trans(init, $1_exec, $1)')

# vendor_public_prop(type): the real one declares a property type of the vendor partition that
# the platform may read and set too.
define(`vendor_public_prop',
`type $1, property_type, vendor_property_type, vendor_public_property_type;')

# get_prop(domain, type): the real one lets domain read the properties of type, through their
# area file under /dev/__properties__.
define(`get_prop', `allow $1 $2:file { getattr open read map };')
